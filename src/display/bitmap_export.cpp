#include "display/bitmap_export.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "db/safe_write.h"
#include "display/scene_state.h"
#include "platform/byte_io.h"
#include "platform/null_surface.h"
#include "platform/paths.h"
#include "platform/sjis.h"

namespace lav::display {
namespace {

constexpr std::uint32_t kHeaderSize = 54;

bool WriteAll(int fd, const std::vector<std::uint8_t>& bytes, const BitmapWriteCall& write) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const long n = write ? write(fd, bytes.data() + done, bytes.size() - done)
                         : ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Creates path (never over an existing file) with bytes, through a work file that takes the
// name only when complete: on any failure, or a kill, nothing is left under the name.
bool CreateFileWith(const std::string& path, const std::vector<std::uint8_t>& bytes,
                    const BitmapWriteCall& write) {
  struct stat existing {};
  if (::lstat(path.c_str(), &existing) == 0) return false;
  db::WorkFile file;
  if (!file.create(path)) return false;
  if (!WriteAll(file.fd(), bytes, write)) return false;
  return file.commit(false);
}

}  // namespace

std::string BitmapFileName(std::string_view name) {
  std::string out(name);
  const std::size_t slash = out.rfind('/');
  const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t dot = out.rfind('.');
  if (dot != std::string::npos && dot >= start) out.resize(dot);
  return out + ".BMP";
}

std::vector<std::uint8_t> EncodeBitmap(const Surface& surface, int width, int height) {
  const std::uint32_t w = static_cast<std::uint32_t>(std::max(width, 0));
  const std::uint32_t h = static_cast<std::uint32_t>(std::max(height, 0));
  const std::uint32_t row = BitmapRowSize(w);
  const std::uint32_t data = row * h;
  std::vector<std::uint8_t> bytes(kHeaderSize + data, 0);
  std::uint8_t* b = bytes.data();
  b[0] = 'B';
  b[1] = 'M';
  le::putU32(b + 2, kHeaderSize + data);
  le::putU32(b + 10, kHeaderSize);
  le::putU32(b + 14, 40);
  le::putI32(b + 18, static_cast<std::int32_t>(w));
  le::putI32(b + 22, static_cast<std::int32_t>(h));
  le::putU16(b + 26, 1);
  le::putU16(b + 28, 24);
  for (std::uint32_t y = 0; y < h; ++y) {
    // Rows bottom-up: the window's last row comes first.
    std::uint8_t* p = b + kHeaderSize + std::size_t(y) * row;
    const int sy = static_cast<int>(h - 1 - y);
    for (std::uint32_t x = 0; x < w; ++x, p += 3) {
      const Rgb c = surface.pixel(static_cast<int>(x), sy);
      p[0] = static_cast<std::uint8_t>(BlueOf(c));
      p[1] = static_cast<std::uint8_t>(GreenOf(c));
      p[2] = static_cast<std::uint8_t>(RedOf(c));
    }
  }
  return bytes;
}

BitmapExport ExportBitmap(SceneState& app, std::string_view argument,
                          const BitmapWriteCall& write) {
  BitmapExport out;
  if (argument.empty()) {
    out.name = BitmapFileName(app.design.path);
    out.path = out.name;
  } else {
    out.name = BitmapFileName(argument);
    out.path = sjis::toUtf8(out.name);
  }
  // Files are found without regard to case, so plan.bmp is as much in the way as plan.BMP.
  std::error_code ec;
  if (paths::findCaseInsensitive(out.path) || std::filesystem::exists(out.path, ec) ||
      std::filesystem::is_symlink(out.path, ec)) {
    out.result = BitmapResult::Exists;
    return out;
  }
  const ViewState& v = app.display.view;
  std::vector<std::uint8_t> bytes;
  if (const Surface* image = app.display.target) {
    bytes = EncodeBitmap(*image, image->width(), image->height());
  } else {
    const NullSurface blank(v.clientWidth, v.clientHeight);
    bytes = EncodeBitmap(blank, blank.width(), blank.height());
  }
  if (!CreateFileWith(out.path, bytes, write)) out.result = BitmapResult::CannotCreate;
  return out;
}

}  // namespace lav::display
