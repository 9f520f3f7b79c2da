// DXF text for the tests, written as words: "0 LINE 8 0 10 1.5" is the groups (0, LINE),
// (8, 0) and (10, 1.5).
#pragma once

#include <cstdio>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "design_dump.h"

namespace lav::interchange::testing {

struct G {
  int code;
  std::string value;
};

inline std::string TextOf(const std::vector<G>& groups) {
  std::string s;
  char buf[16];
  for (const G& g : groups) {
    std::snprintf(buf, sizeof buf, "%3d\n", g.code);
    s += buf + g.value + "\n";
  }
  return s;
}

// Words taken in pairs (values without blanks).
inline std::vector<G> Groups(const std::string& words) {
  std::vector<G> g;
  std::vector<std::string> w;
  std::string cur;
  for (char c : words + " ") {
    if (c == ' ' || c == '\n') {
      if (!cur.empty()) w.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  for (std::size_t i = 0; i + 1 < w.size(); i += 2) g.push_back({std::stoi(w[i]), w[i + 1]});
  return g;
}

// The distinct non-empty lines of a program's output, for comparing what an oracle printed.
inline std::set<std::string> LinesOf(const std::string& text) {
  std::set<std::string> s;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);)
    if (!l.empty()) s.insert(l);
  return s;
}

// A file with only an ENTITIES section holding the given groups.
inline std::string EntitiesFile(const std::string& words) {
  return TextOf(Groups("0 SECTION 2 ENTITIES " + words + " 0 ENDSEC 0 EOF"));
}

}  // namespace lav::interchange::testing
