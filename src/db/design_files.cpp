#include "db/design_files.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "db/cad_file.h"
#include "db/cell_directory.h"
#include "db/core_state.h"
#include "db/design_header.h"
#include "db/figure_pick_back.h"
#include "db/messages.h"
#include "db/refusal.h"
#include "db/safe_write.h"
#include "platform/paths.h"
#include "platform/sjis.h"

namespace lav::db {
namespace {

namespace fs = std::filesystem;
constexpr int kMaxOpensPerRun = 100;

void titleOpen(CoreState& app) {
  app.host.setTitle(FormatMessage(msg::kTitleOpen, app.design.path));
}

std::string firstWord(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\n')) ++i;
  std::size_t j = i;
  while (j < s.size() && s[j] != ' ' && s[j] != '\t' && s[j] != '\n') ++j;
  return std::string(s.substr(i, j - i));
}

std::string upperAscii(std::string s) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    auto c = static_cast<unsigned char>(s[i]);
    if (sjis::isLeadByte(c) && i + 1 < s.size()) {
      ++i;
      continue;
    }
    if (c >= 'a' && c <= 'z') s[i] = static_cast<char>(c - 32);
  }
  return s;
}

}  // namespace

void ClearPaintMarks(CoreState& app) {
  if (auto found = paths::findCaseInsensitive(paths::join(app.programDir, "PAINTDAT.DAT")))
    std::ofstream(*found, std::ios::binary | std::ios::trunc);
}

void ReleaseDesign(CoreState& app) {
  auto& d = app.design;
  d.image.bytes.clear();
  d.image.bytes.shrink_to_fit();
  d.image.usedSize = 0;
  d.beyondClassicTold = false;
  d.path.clear();
  d.lock.release();
  ClearCurrent(d);
  app.temp.pick = {};
  d.presentLayers.fill(0);
  app.host.invalidate(Window::Status);
}

std::string FormatMessage(const char* utf8, std::string_view arg) {
  std::string text = sjis::fromUtf8(utf8);
  if (auto pos = text.find("%s"); pos != std::string::npos) text.replace(pos, 2, arg);
  return text;
}

bool NewDesign(CoreState& app, std::string_view argument, Refusal& refusal) {
  auto& d = app.design;
  if (d.isOpen()) {
    refusal = {msg::kStillOpen, d.path};
    return false;
  }
  std::string name = firstWord(argument);
  if (name.empty()) return false;
  if (auto dot = name.rfind('.'); dot != std::string::npos) {
    if (dot == 0) return false;  // ".x": nothing at all
    name.resize(dot);
  }
  name += ".cad";
  const std::string full = paths::absolute(name);
  // Open finds files without regard to case, so WORK.CAD is as much in the way as work.cad.
  const auto existing = paths::findCaseInsensitive(full);
  if (existing || fs::exists(full)) {
    refusal = {msg::kSameFileExists, existing ? *existing : full,
               sjis::fromUtf8(msg::kCaptionFileCreate)};
    app.continueFlag = false;
    return false;
  }
  CreateEmptyImage(d.image);
  // Absolute, so that a later change of the current directory cannot redirect the close.
  d.path = full;
  d.version = kCurrentVersion;
  ClearCurrent(d);
  titleOpen(app);
  ClearPaintMarks(app);
  app.host.invalidate(Window::Graphics);
  return true;
}

OpenResult OpenDesign(CoreState& app, std::string_view argument, Refusal& refusal) {
  auto& d = app.design;
  std::string name = firstWord(argument);
  if (name.empty()) return OpenResult::Refused;
  name = upperAscii(name);
  if (auto dot = name.find('.'); dot == std::string::npos) {
    name += ".CAD";
  } else if (name.substr(dot) != ".CAD") {
    refusal = {msg::kNotCadExtension};
    return OpenResult::Refused;
  }
  auto found = paths::findCaseInsensitive(name);
  if (!found || ::access(found->c_str(), R_OK | W_OK) != 0 || fs::is_directory(*found)) {
    refusal = {msg::kCannotOpen, name};
    return OpenResult::Refused;
  }
  const std::string full = paths::absolute(*found);
  // Two programs saving one design would lose the first one's edits: it is open in one only.
  filelock::Lock lock;
  bool elsewhere = false;
  if (!lock.acquire(full, false, false, &elsewhere) && elsewhere) {
    refusal = {msg::kInUseElsewhere, full};
    return OpenResult::Refused;
  }
  {
    char head[42];
    std::ifstream in(full, std::ios::binary);
    in.read(head, sizeof head);
    if (in.gcount() != 42 || head[0] != '#') {
      refusal = {msg::kNotDataFile, full};
      return OpenResult::Refused;
    }
  }
  if (d.auxCounter >= kMaxOpensPerRun) {
    refusal = {msg::kTooManyOpens};
    return OpenResult::Failed;
  }
  char aux[32];
  std::snprintf(aux, sizeof aux, "BUF$BUFF.%02dD", d.auxCounter++);
  const LoadError err = LoadCadFile(full, d.image, &app.host, &app.continueFlag);
  if (err != LoadError::None || !app.continueFlag) {
    const bool stopped = err == LoadError::Stopped || (err == LoadError::None && !app.continueFlag);
    if (err == LoadError::TooLarge) refusal = {msg::kOutOfMemory};
    if (err == LoadError::Damaged) refusal = {msg::kDamaged, full};
    if (err == LoadError::CannotOpen) refusal = {msg::kCannotOpen, full};
    app.continueFlag = false;
    std::error_code ec;
    fs::remove(aux, ec);
    d.image = {};
    return stopped ? OpenResult::Stopped : OpenResult::Failed;
  }
  // Settings are taken only from a design that passed every check.
  if (!ReadHeader(d.image, app.settings)) {
    d.image = {};
    refusal = {msg::kNewerVersion};
    app.continueFlag = false;
    return OpenResult::Failed;
  }
  d.path = full;
  d.lock = std::move(lock);
  d.version = HeaderVersion(d.image);
  ClearCurrent(d);
  return OpenResult::Opened;
}

bool CloseDesign(CoreState& app, bool save, Refusal& refusal) {
  auto& d = app.design;
  if (d.isOpen()) PutBackPick(d.image, app.temp);  // a figure taken out for editing is not lost
  if (d.isOpen() && save && app.continueFlag) {
    if (!WriteHeader(d.image, app.settings, d.version)) {
      refusal = {msg::kCloseFailed};
      return false;
    }
    SafeWriteOptions options;
    options.host = &app.host;
    options.continueFlag = &app.continueFlag;
    options.direct = d.image.usedSize > 64 << 20;
    std::string error;
    // Encoded while it is written: Escape at any piece keeps the design open, the file untouched.
    const ByteSource encoded = [&](const PieceSink& put) { return EncodeFileTo(d.image, put); };
    switch (WriteFileSafely(d.path, encoded, options, error)) {
      case SafeWriteResult::Written:
        d.lock.releaseInBackground();  // it holds the replaced file, freed as it closes
        break;
      case SafeWriteResult::Stopped:
        return false;  // the old file is untouched and the design stays open
      case SafeWriteResult::Failed:
        refusal = {msg::kCloseFailed};
        return false;
    }
  } else if (save && d.isOpen() && !app.continueFlag) {
    return false;
  }
  ReleaseDesign(app);
  return true;
}

void DiscardDesign(CoreState& app) {
  Refusal none;
  CloseDesign(app, false, none);
}

}  // namespace lav::db
