#pragma once

#include "platform/ScreenMetrics.h"

namespace tw::test {

// A screen of any size and resolution; the reference screen (1024 x 768 at 96 DPI) unless told.
class FakeScreen : public platform::ScreenMetrics
{
public:
    explicit FakeScreen(int width = 1024, int height = 768, float twipsPerPixel = 15.0f)
        : m_width(width), m_height(height), m_twips(twipsPerPixel)
    {}

    float twipsPerPixelX() const override { return m_twips; }
    float twipsPerPixelY() const override { return m_twips; }
    int widthPixels() const override { return m_width; }
    int heightPixels() const override { return m_height; }

private:
    int m_width, m_height;
    float m_twips;
};

} // namespace tw::test
