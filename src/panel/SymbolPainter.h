#pragma once

#include <QColor>
#include <QPixmap>
#include <QRectF>
#include <QString>

class QPainter;

/// Draws the project's symbol icons (resources/icons/<name>.svg) tinted with one colour.
/// Rendered pixmaps are cached per name, size, colour and pixel ratio. GUI thread only.
namespace SymbolPainter {

QPixmap pixmap(const QString& name, const QSize& size, const QColor& color, qreal devicePixelRatio);
/// Draws the symbol centred in `rect`, scaled to fit while keeping its square shape.
void paint(QPainter* painter, const QRectF& rect, const QString& name, const QColor& color);
/// True when an icon of that name is compiled in.
bool exists(const QString& name);

} // namespace SymbolPainter
