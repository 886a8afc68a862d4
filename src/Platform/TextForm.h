#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <optional>

namespace zorbel::text {

// Numbers, points, sizes, rectangles and Booleans in the text forms that log
// and console lines use: "10.0", "0.35", "1e-05", "(112.0, 212.0)",
// "(492.0, 292.0, 16.0, 16.0)", "true".
QString number(double value);
QString number(float value);
QString integer(long long value);
QString boolean(bool value);
QString point(const QPointF& p);
QString size(const QSizeF& s);
QString rect(const QRectF& r);
// "Optional((1.0, 2.0))" or "nil", as an optional point prints.
QString optionalPoint(const std::optional<QPointF>& p);

}  // namespace zorbel::text
