// Reading ASCII DXF text into the open (new) design in one pass: every block a cell, the
// ENTITIES section the cell ENTITIES, each entity kind turned into elements by its own function
// through the temporary input layer's output. Warnings (something skipped or changed, reading
// goes on) are collected for the log; errors stop reading at a line.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "db/temp_layer.h"
#include "geometry/arc_polygon.h"
#include "interchange/dxf_layers.h"
#include "interchange/dxf_pairs.h"
#include "platform/host.h"

namespace lav::interchange {

struct ExchangeState;

enum class DxfStop : std::uint8_t {
  None,       // the text was read to its end
  Syntax,     // a broken pair or a number that is not one; errorLine tells where
  ImageFull,  // the design's data area is full
  TooManyCells,
  LayerList,  // LAYERS$$.LIS could not be written
  Escape,
};

struct DxfReadHooks {
  // Called for each cell as it is created, with its name (for the log).
  std::function<void(const std::string& name)> onCell;
  // The layer-list file's lines as the table is read; false when they cannot be written.
  std::function<bool(const MappedLayer& entry)> onLayer;
};

class DxfReader {
 public:
  DxfReader(ExchangeState& app, std::string_view text, DxfReadHooks hooks);

  DxfStop run();

  long errorLine() const { return errorLine_; }
  const std::vector<std::string>& warnings() const { return warnings_; }
  const DxfLayerMap& layers() const { return layers_; }
  long elementsStored() const { return stored_; }

 private:
  enum class Section : std::uint8_t { Outside, LayerTable, Entities };
  enum class Kind : std::uint8_t {
    None,
    Insert,
    Block,
    Polyline,
    LwPolyline,
    Vertex,
    Line,
    Solid,
    Circle,
    Arc,
    Text,
    Other
  };

  // A vertex of a light-weight polyline, which carries its vertices in its own groups.
  struct LwVertex {
    db::UserPoint p;
    double bulge = 0;
  };

  // The groups of the open entity, as read.
  struct Fields {
    Kind kind = Kind::None;
    long line = 0;  // where the entity began
    int layer = 0;
    double x[4] = {}, y[4] = {};
    bool point[4] = {};
    double g40 = 0, g41 = 0, g42 = 0, g44 = 0, g45 = 0, g50 = 0, g51 = 0;
    bool has40 = false, has41 = false, has42 = false, has44 = false, has45 = false;
    bool has50 = false, has51 = false, has70 = false, has71 = false;
    long g70 = 0, g71 = 0;
    std::string name;  // INSERT block name, BLOCK name
    bool named = false;
    std::string text;
    bool hasText = false;
    bool bad = false;  // a coordinate outside what a design can hold
    std::vector<LwVertex> vertices;
    double width = 0;  // LWPOLYLINE: the constant width, else the first vertex's
    bool hasWidth = false;
  };

  // The line being collected in the temporary layer, and what it came from.
  enum class Collect : std::uint8_t { Nothing, Lines, Polyline };

  void planBlockNames();
  // Names and texts of a UTF-8 file, and characters written as escapes, into Shift-JIS.
  void decode(DxfPair& p) const;
  bool outside(const DxfPair& p);
  bool layerTable(const DxfPair& p);
  void endLayerTable();
  bool entities(const DxfPair& p);
  bool group(const DxfPair& p);
  bool lwGroup(const DxfPair& p);
  bool number(const DxfPair& p, double& out);
  bool coordinate(const DxfPair& p, double& out);
  bool integer(const DxfPair& p, long& out);
  void begin(std::string_view name);
  void finish();

  // One per entity kind, called when the entity ends.
  void insertEntity();
  void blockEntity();
  void polylineEntity();
  void lwPolylineEntity();
  void startPolyline(bool closed, double width);
  void vertexEntity();
  void polylineVertex(db::UserPoint p, double bulge);
  void seqend();
  void lineEntity();
  void solidEntity();
  void circleEntity();
  void arcEntity();
  void textEntity();

  bool createCell(const std::string& name);
  std::string cellNameFor(const std::string& raw) const;
  void appendPoint(db::UserPoint p);
  void appendArc(db::UserPoint start, db::UserPoint centre, db::UserPoint end, bool clockwise);
  void appendBulge(db::UserPoint a, db::UserPoint b, double bulge);
  void startLines();
  geometry::ArcSettings arcSettings(bool clockwise) const;
  void flush();
  bool lastPointIs(db::UserPoint p) const;
  bool sameDb(db::UserPoint a, db::UserPoint b) const;
  void store(std::int16_t type, int layer, std::int32_t width, db::ElementSettings s);
  void warn(std::string text);
  void messageStep();
  void checkReferences();

  ExchangeState& app_;
  DxfPairReader pairs_;
  std::string_view text_;
  DxfReadHooks hooks_;
  std::int32_t dbu_;
  Section section_ = Section::Outside;
  bool wantSectionName_ = false;
  bool utf8_ = false;     // AC1021 and later
  bool escapes_ = false;  // AC1015 and later
  LocalTime now_;
  Fields f_;
  DxfStop stop_ = DxfStop::None;
  long errorLine_ = 0;
  DxfLayerMap layers_;
  std::vector<std::string> tableNames_;  // the layer table's names until it ends
  std::set<std::string> unmappedWarned_;
  std::string lastLayerName_;
  bool lastLayerValid_ = false;
  int lastLayer_ = 0;

  db::TempLayer temp_{db::kMaxRecordVertices};  // a figure as long as a record can hold
  Collect collect_ = Collect::Nothing;
  int collectLayer_ = 0;
  std::int32_t collectWidth_ = 0;
  bool splitWarned_ = false;
  // The open polyline.
  bool polyline_ = false;
  bool polyClosed_ = false;
  bool polyHasFirst_ = false;
  bool polySkip_ = false;
  db::UserPoint polyFirst_, polyLast_;
  double lastBulge_ = 0;
  long polyLine_ = 0;

  std::vector<std::string> plan_;  // the cell of each BLOCK, in file order
  std::size_t planIndex_ = 0;
  std::map<std::string, std::string> cellOfBlock_;  // block name in the file -> cell name
  std::set<std::string> cells_;
  std::map<std::string, std::set<std::string>> placements_;  // cell -> cells it places
  std::string cell_;                                         // cell receiving elements; empty: none
  long stored_ = 0;
  long pairsRead_ = 0;
  std::vector<std::string> warnings_;
  std::map<std::string, long> skipped_;  // entity kinds not read, with their counts
};

}  // namespace lav::interchange
