#pragma once

#include <QColor>
#include <QtGlobal>

// The platform's random numbers and palette as they are documented, written
// out afresh so that tests can check the program's own against them.

// From the seed 327680, each number is x <- (x * 1140671485 + 12820163) mod
// 2^24, given as x / 2^24.
class DocumentedRandom {
public:
    float next() {
        m_x = (m_x * 1140671485ULL + 12820163ULL) % (1ULL << 24);
        return float(m_x) / 16777216.0f;
    }

private:
    quint64 m_x = 327680;
};

// The 16-colour palette, (red, green, blue) by index.
inline QColor documentedPaletteColour(int index) {
    static const int rgb[16][3] = {
        {0, 0, 0},       {0, 0, 128},   {0, 128, 0},   {0, 128, 128},
        {128, 0, 0},     {128, 0, 128}, {128, 128, 0}, {192, 192, 192},
        {128, 128, 128}, {0, 0, 255},   {0, 255, 0},   {0, 255, 255},
        {255, 0, 0},     {255, 0, 255}, {255, 255, 0}, {255, 255, 255},
    };
    return QColor(rgb[index][0], rgb[index][1], rgb[index][2]);
}
