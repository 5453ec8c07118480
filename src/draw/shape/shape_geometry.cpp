#include "draw/shape/shape_geometry.h"

#include <algorithm>
#include <cmath>

namespace tessel {

namespace {

int signOf(int v) { return v < 0 ? -1 : 1; }

void sortUnique(std::vector<Point>& p) {
  std::sort(p.begin(), p.end(), [](Point a, Point b) { return a.y != b.y ? a.y < b.y : a.x < b.x; });
  p.erase(std::unique(p.begin(), p.end()), p.end());
}

// The ellipse's two centres per axis (equal for odd sides) and its
// half-extents; an even side of 2n has half-extent n - 1.
struct EllipseFrame {
  int left, right, top, bottom;   // centres of the left/right and upper/lower halves
  int ax, ay;

  explicit EllipseFrame(const Box& b)
      : ax((b.width() - 1) / 2), ay((b.height() - 1) / 2) {
    left = b.left + ax;
    right = b.right - ax;
    top = b.top + ay;
    bottom = b.bottom - ay;
  }
};

// Calls visit(dx, dy) for both symmetric offsets of every step of the
// midpoint circle of the larger half-extent, the shorter axis scaled down.
template <class Visit>
void walkEllipse(const EllipseFrame& f, Visit&& visit) {
  const bool wide = f.ax >= f.ay;
  const int r = wide ? f.ax : f.ay, shorter = wide ? f.ay : f.ax;
  auto scaled = [&](int v) { return r == 0 ? 0 : int(int64_t(v) * shorter / r); };
  auto offset = [&](int along, int across) {
    if (wide) visit(along, scaled(across));
    else visit(scaled(across), along);
  };
  int i = 0, count = r, d = 3 - 2 * r;
  while (i <= count) {
    offset(i, count);
    offset(count, i);
    if (d < 0) {
      d += 4 * i + 6;
    } else {
      d += 4 * i + 10 - 4 * count;
      --count;
    }
    ++i;
  }
}

// Keeps the widest span of each row, rows from the top.
std::vector<Span> mergeRows(std::vector<Span> spans) {
  std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.y < b.y; });
  std::vector<Span> out;
  for (const Span& s : spans) {
    if (!out.empty() && out.back().y == s.y) {
      out.back().x0 = std::min(out.back().x0, s.x0);
      out.back().x1 = std::max(out.back().x1, s.x1);
    } else {
      out.push_back(s);
    }
  }
  return out;
}

}  // namespace

Box boxOf(Point a, Point b) {
  return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

std::vector<Point> linePoints(Point a, Point b) {
  std::vector<Point> out;
  walkLine(a.x, a.y, b.x, b.y, false, [&](int x, int y) { out.push_back({x, y}); });
  return out;
}

Point snapLineEnd(Point start, Point end) {
  const int dx = end.x - start.x, dy = end.y - start.y;
  const int bx = std::abs(dx), by = std::abs(dy);
  if (std::abs(bx - by) < std::max(bx, by) / 2) {
    if (bx < by) return {end.x, start.y + signOf(dy) * bx};
    return {start.x + signOf(dx) * by, end.y};
  }
  if (by < bx) return {end.x, start.y};
  return {start.x, end.y};
}

Box dragBox(Point start, Point end, bool centred, bool square) {
  int dx = end.x - start.x, dy = end.y - start.y;
  if (centred) {
    int hx = std::abs(dx), hy = std::abs(dy);
    if (square) hx = hy = std::max(hx, hy);
    return {start.x - hx, start.y - hy, start.x + hx, start.y + hy};
  }
  if (square) {
    int side = std::max(std::abs(dx), std::abs(dy));
    dx = signOf(dx) * side;
    dy = signOf(dy) * side;
  }
  return boxOf(start, {start.x + dx, start.y + dy});
}

std::vector<Point> rectangleOutline(const Box& b) {
  std::vector<Point> out;
  for (int y = b.top; y <= b.bottom; ++y) {
    if (y == b.top || y == b.bottom) {
      for (int x = b.left; x <= b.right; ++x) out.push_back({x, y});
    } else {
      out.push_back({b.left, y});
      if (b.right != b.left) out.push_back({b.right, y});
    }
  }
  return out;
}

std::vector<Span> rectangleSpans(const Box& b) {
  std::vector<Span> out;
  for (int y = b.top; y <= b.bottom; ++y) out.push_back({y, b.left, b.right});
  return out;
}

std::vector<Point> ellipseOutline(const Box& b) {
  const EllipseFrame f(b);
  std::vector<Point> out;
  walkEllipse(f, [&](int dx, int dy) {
    out.push_back({f.right + dx, f.bottom + dy});
    out.push_back({f.left - dx, f.bottom + dy});
    out.push_back({f.right + dx, f.top - dy});
    out.push_back({f.left - dx, f.top - dy});
  });
  sortUnique(out);
  return out;
}

std::vector<Span> ellipseSpans(const Box& b) {
  const EllipseFrame f(b);
  std::vector<Span> spans;
  walkEllipse(f, [&](int dx, int dy) {
    spans.push_back({f.top - dy, f.left - dx, f.right + dx});
    spans.push_back({f.bottom + dy, f.left - dx, f.right + dx});
  });
  return mergeRows(std::move(spans));
}

std::vector<PointF> bezierPoints(PointF p0, PointF p1, PointF p2, PointF p3) {
  std::vector<PointF> out{p0};
  for (int k = 1; k <= 100; ++k) {
    const double t = k * 0.01, u = 1.0 - t;
    const double a = u * u * u, b = 3 * t * u * u, c = 3 * t * t * u, d = t * t * t;
    out.push_back({a * p0.x + b * p1.x + c * p2.x + d * p3.x, a * p0.y + b * p1.y + c * p2.y + d * p3.y});
  }
  return out;
}

namespace {

// Tangents of the chord-length spline for one coordinate: the tridiagonal
// system solved by forward elimination and back substitution.
std::vector<double> splineTangents(const std::vector<double>& p, const std::vector<double>& h) {
  const size_t n = p.size();
  std::vector<double> a(n), b(n), c(n), d(n);
  b[0] = 2, c[0] = 1, d[0] = 3 * (p[1] - p[0]) / h[0];
  for (size_t i = 1; i + 1 < n; ++i) {
    a[i] = h[i], b[i] = 2 * (h[i - 1] + h[i]), c[i] = h[i - 1];
    d[i] = 3 * (h[i] * h[i] * (p[i] - p[i - 1]) + h[i - 1] * h[i - 1] * (p[i + 1] - p[i])) /
           (h[i - 1] * h[i]);
  }
  a[n - 1] = 1, b[n - 1] = 2, d[n - 1] = 3 * (p[n - 1] - p[n - 2]) / h[n - 2];
  for (size_t i = 1; i < n; ++i) {
    const double w = a[i] / b[i - 1];
    b[i] -= w * c[i - 1];
    d[i] -= w * d[i - 1];
  }
  std::vector<double> m(n);
  m[n - 1] = d[n - 1] / b[n - 1];
  for (size_t i = n - 1; i-- > 0;) m[i] = (d[i] - c[i] * m[i + 1]) / b[i];
  return m;
}

}  // namespace

std::vector<PointF> splinePoints(const std::vector<PointF>& points) {
  std::vector<PointF> pts;
  for (const PointF& p : points)
    if (pts.empty() || p.x != pts.back().x || p.y != pts.back().y) pts.push_back(p);
  if (pts.size() < 2) return {};
  const size_t n = pts.size();
  std::vector<double> xs(n), ys(n), h(n - 1);
  for (size_t i = 0; i < n; ++i) xs[i] = pts[i].x, ys[i] = pts[i].y;
  for (size_t i = 0; i + 1 < n; ++i) h[i] = std::hypot(xs[i + 1] - xs[i], ys[i + 1] - ys[i]);
  const std::vector<double> mx = splineTangents(xs, h), my = splineTangents(ys, h);
  std::vector<PointF> out{pts[0]};
  for (size_t i = 0; i + 1 < n; ++i) {
    for (int k = 1; k <= 20; ++k) {
      const double s = 0.05 * k, s2 = s * s, s3 = s2 * s;
      const double h00 = 2 * s3 - 3 * s2 + 1, h10 = s3 - 2 * s2 + s;
      const double h01 = -2 * s3 + 3 * s2, h11 = s3 - s2;
      out.push_back({h00 * xs[i] + h10 * h[i] * mx[i] + h01 * xs[i + 1] + h11 * h[i] * mx[i + 1],
                     h00 * ys[i] + h10 * h[i] * my[i] + h01 * ys[i + 1] + h11 * h[i] * my[i + 1]});
    }
  }
  return out;
}

}  // namespace tessel
