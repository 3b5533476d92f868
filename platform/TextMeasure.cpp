#include "platform/TextMeasure.h"
#include "platform/Control.h"
#include <QGuiApplication>

namespace {
QFont at96Dpi(QFont font)
{
    font.setPixelSize(qMax(1, qRound(font.pointSizeF() * 96.0 / 72.0)));
    return font;
}

QFont applicationFont(const QString &family, double points, bool bold)
{
    QFont font = QGuiApplication::font();
    font.setFamily(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}
}

TextMeasure::TextMeasure(const QFont &font) : m_metrics(at96Dpi(font)) {}

TextMeasure::TextMeasure(const QString &family, double points, bool bold)
    : TextMeasure(applicationFont(family, points, bold))
{
}

double TextMeasure::width(const QString &text) const { return m_metrics.horizontalAdvance(text) * TwipsPerPixel; }
