#include "geometry/figure_join.h"

#include <cmath>

namespace lav::geometry {

namespace {

struct Nearest {
  std::size_t index = 0;
  double distance = 5000000000.0;
};

// The first of the equally near vertices of g wins.
Nearest NearestVertex(const std::vector<db::Vertex>& g, const db::Vertex& p) {
  Nearest best;
  for (std::size_t i = 0; i < g.size(); ++i) {
    double d = std::hypot(double(g[i].x) - p.x, double(g[i].y) - p.y);
    if (d < best.distance) best = {i, d};
  }
  return best;
}

void Append(std::vector<db::Vertex>& out, const std::vector<db::Vertex>& g, std::size_t from,
            std::size_t to) {
  if (from <= to)
    for (std::size_t i = from; i <= to; ++i) out.push_back(g[i]);
  else
    for (std::size_t i = from + 1; i-- > to;) out.push_back(g[i]);
}

}  // namespace

JoinStatus JoinFigures(const std::vector<db::Vertex>& f, const std::vector<db::Vertex>& g,
                       bool lineRule, std::vector<db::Vertex>& out) {
  if (f.empty() || g.empty()) return JoinStatus::Empty;
  if (f.size() + g.size() >= 200) return JoinStatus::TooManyPoints;
  const Nearest na = NearestVertex(g, f.front()), nb = NearestVertex(g, f.back());
  const std::size_t a = na.index, b = nb.index, L = g.size() - 1;
  const double da = na.distance, db = nb.distance;
  out.clear();
  if (lineRule) {
    int which;
    if (a == 0 && !(b == 0 && db <= da))
      which = (b == L && db < da) ? 0 : 1;
    else if (b == 0)
      which = (a == L && da < db) ? 2 : 3;
    else if (a != L || (b == L && db <= da))
      // Both ends nearest the same inner vertex: F is spliced in there as a loop.
      which = b == L ? 0 : (a <= b ? 4 : 5);
    else
      which = 2;
    switch (which) {
      case 0:  // F then G reversed
        out = f;
        Append(out, g, L, 0);
        break;
      case 1:  // G reversed then F
        Append(out, g, L, 0);
        out.insert(out.end(), f.begin(), f.end());
        break;
      case 2:  // G then F
        out = g;
        out.insert(out.end(), f.begin(), f.end());
        break;
      case 3:  // F then G
        out = f;
        out.insert(out.end(), g.begin(), g.end());
        break;
      case 4:
        Append(out, g, 0, a);
        out.insert(out.end(), f.begin(), f.end());
        Append(out, g, b, L);
        break;
      default:
        Append(out, g, L, a);
        out.insert(out.end(), f.begin(), f.end());
        Append(out, g, b, 0);
        break;
    }
    return JoinStatus::Joined;
  }
  // Polygon: all of F, then the longer chain of G from F's last end back to its first.
  const std::size_t count = g.size();
  out = f;
  if (a < b) {
    if (double(b - a) < double(a) - 1 + double(count - b)) {
      Append(out, g, b, L);
      Append(out, g, 0, a);
    } else {
      Append(out, g, b, a);
    }
  } else {
    if (double(a - b) < double(b) - 1 + double(count - a)) {
      Append(out, g, b, 0);
      Append(out, g, L, a);
    } else {
      Append(out, g, b, a);
    }
  }
  return JoinStatus::Joined;
}

}  // namespace lav::geometry
