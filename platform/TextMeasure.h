#pragma once
#include <QFont>
#include <QFontMetricsF>
#include <QString>

// Measures text widths in twips the way a window's TextWidth does, without needing a window:
// points become pixels at the classic 96 dpi, so widths do not depend on the screen.
class TextMeasure {
public:
    explicit TextMeasure(const QFont &font);
    // The application's font, the one every window shows, in the given family, size and weight.
    TextMeasure(const QString &family, double points, bool bold);
    double width(const QString &text) const;

private:
    QFontMetricsF m_metrics;
};
