#pragma once

#include <optional>
#include <vector>

namespace tw::platform {

// A control's place in twips (relative to the window or frame that holds it) and its font size in
// points; a property the control does not have (a timer has no size, an image no font) is missing.
struct Steuerelement
{
    std::optional<float> Left;
    std::optional<float> Top;
    std::optional<float> Width;
    std::optional<float> Height;
    std::optional<double> FontSize;
};

// A window's width in twips and its controls in the order of its controls collection.
struct Formular
{
    float Width = 0;
    std::vector<Steuerelement> Controls;
};

} // namespace tw::platform
