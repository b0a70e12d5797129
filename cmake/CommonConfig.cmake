# Compiler settings every target of the project shares.
add_library(tw_common INTERFACE)
target_compile_features(tw_common INTERFACE cxx_std_17)
target_include_directories(tw_common INTERFACE ${CMAKE_SOURCE_DIR})
target_compile_options(tw_common INTERFACE -Wall -Wextra -Wpedantic)
if(TW_WERROR)
    target_compile_options(tw_common INTERFACE -Werror)
endif()
target_compile_definitions(tw_common INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_CAST_TO_ASCII
    QT_NO_CAST_FROM_BYTEARRAY
    QT_NO_URL_CAST_FROM_STRING
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_NO_FOREACH
    QT_USE_QSTRINGBUILDER
    QT_STRICT_ITERATORS
    QT_DISABLE_DEPRECATED_UP_TO=0x060400)
if(TW_SANITIZE)
    target_compile_options(tw_common INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                               -fno-sanitize-recover=undefined)
    target_link_options(tw_common INTERFACE -fsanitize=address,undefined)
endif()
if(TW_FUZZ)
    target_compile_options(tw_common INTERFACE -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                                               -fno-sanitize-recover=undefined)
    target_link_options(tw_common INTERFACE -fsanitize=address,undefined)
endif()
