#pragma once
// Shared pieces of the GUI tests: documents with frameworks, screenshots, geometry tables.

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>
#include <QWidget>
#include <filesystem>
#include <string>
#include <vector>

#include "support/SchoolXml.h"
#include "support/ScratchFolder.h"

namespace velmaro::testing {

// A framework section of three frameworks (A with two slots, B with one, C without) and its slots.
inline SchoolXml ThreeFrameworks() {
    return {
        XmlSection{"JORNADAS_ESCOLARES",
                   {
                       {"A", "Jornada de mañana", "01/09/2024", "30/06/2025"},
                       {"B", "Jornada de tarde", "02/09/2024", "27/06/2025"},
                       {"CODIGOLARGO12", "Sin tramos", "03/09/2024", "26/06/2025"},
                   }},
        XmlSection{"TRAMOS_HORARIOS",
                   {
                       {"1", "1ª hora", "480", "535", "A"},
                       {"2", "1ª tarde", "900", "955", "B"},
                       {"3", "2ª hora", "535", "590", "A"},
                   }},
    };
}

// Where a control must stand, relative to its parent.
struct ExpectedGeometry {
    const char* name;
    QRect geometry;
};

inline void ExpectGeometry(const QWidget& window, const std::vector<ExpectedGeometry>& controls) {
    for (const ExpectedGeometry& control : controls) {
        const auto* widget = window.findChild<QWidget*>(control.name);
        ASSERT_NE(widget, nullptr) << control.name;
        EXPECT_EQ(widget->geometry(), control.geometry) << control.name;
    }
}

// `actual` within two steps per channel of `expected` (gradients round at their ends).
inline void ExpectNearColor(const QColor& actual, const QColor& expected) {
    EXPECT_NEAR(actual.red(), expected.red(), 2) << actual.name().toStdString();
    EXPECT_NEAR(actual.green(), expected.green(), 2) << actual.name().toStdString();
    EXPECT_NEAR(actual.blue(), expected.blue(), 2) << actual.name().toStdString();
}

// Renders `window` to <build>/screenshots/<name>.png and returns the image.
inline QImage SaveScreenshot(QWidget& window, const std::string& name) {
    const std::filesystem::path folder = std::filesystem::path(VELMARO_BINARY_DIR) / "screenshots";
    std::filesystem::create_directories(folder);
    const QImage image = window.grab().toImage();
    EXPECT_TRUE(image.save(QString::fromStdString((folder / (name + ".png")).string())));
    return image;
}

}  // namespace velmaro::testing
