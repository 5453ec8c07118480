#include "platform/scanner_sane.h"

#include <dlfcn.h>
#include <sane/sane.h>
#include <sane/saneopts.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <optional>
#include <vector>

#include "image/image32.h"
#include "image/size_limits.h"
#include "resources/language.h"

namespace tessel {

namespace {

struct SaneApi {
  decltype(&sane_init) init = nullptr;
  decltype(&sane_exit) exit = nullptr;
  decltype(&sane_get_devices) getDevices = nullptr;
  decltype(&sane_open) open = nullptr;
  decltype(&sane_close) close = nullptr;
  decltype(&sane_get_option_descriptor) descriptor = nullptr;
  decltype(&sane_control_option) control = nullptr;
  decltype(&sane_get_parameters) parameters = nullptr;
  decltype(&sane_start) start = nullptr;
  decltype(&sane_read) read = nullptr;
  decltype(&sane_cancel) cancel = nullptr;
};

ScanStatus statusOf(SANE_Status s) {
  switch (s) {
    case SANE_STATUS_GOOD: return ScanStatus::Ok;
    case SANE_STATUS_DEVICE_BUSY: return ScanStatus::Busy;
    case SANE_STATUS_CANCELLED: return ScanStatus::Cancelled;
    case SANE_STATUS_NO_MEM: return ScanStatus::NoMemory;
    case SANE_STATUS_INVAL: return ScanStatus::NoDevice;   // sane_open's answer for an unknown name
    default: return ScanStatus::Failed;
  }
}

std::string lower(const char* s) {
  std::string out = s ? s : "";
  for (char& c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

// The well-known mode names and the variants backends use.
std::optional<ScanMode> modeOf(const char* name) {
  std::string s = lower(name);
  auto has = [&](const char* part) { return s.find(part) != std::string::npos; };
  if (has("halftone") || (has("lineart") && (has("color") || has("colour")))) return std::nullopt;
  if (has("color") || has("colour")) return ScanMode::Colour;
  if (has("gray") || has("grey")) return ScanMode::Grey;
  if (has("lineart") || has("binary") || has("black")) return ScanMode::LineArt;
  return std::nullopt;
}

double numberOf(const SANE_Option_Descriptor* d, SANE_Word w) {
  return d->type == SANE_TYPE_FIXED ? SANE_UNFIX(w) : double(w);
}

// The option indices the scan uses; -1 for those the device lacks.
struct OptionIndex {
  int mode = -1, depth = -1, resolution = -1, tlx = -1, tly = -1, brx = -1, bry = -1;
};

// One open device; closed when it goes.
class Device {
 public:
  Device(const SaneApi& api, SANE_Handle handle) : api_(api), handle_(handle) {}
  ~Device() {
    if (scanning_) api_.cancel(handle_);
    api_.close(handle_);
  }
  Device(const Device&) = delete;
  Device& operator=(const Device&) = delete;

  SANE_Handle handle() const { return handle_; }
  const SANE_Option_Descriptor* descriptor(int i) const { return i > 0 ? api_.descriptor(handle_, i) : nullptr; }

  // Setting one option may add, remove or reorder others: asked afresh each time.
  OptionIndex options() const {
    OptionIndex idx;
    SANE_Int count = 0;
    if (api_.control(handle_, 0, SANE_ACTION_GET_VALUE, &count, nullptr) != SANE_STATUS_GOOD) return idx;
    for (int i = 1; i < count; ++i) {
      const SANE_Option_Descriptor* d = descriptor(i);
      if (!d || !d->name) continue;
      std::string n = d->name;
      if (n == SANE_NAME_SCAN_MODE && d->type == SANE_TYPE_STRING) idx.mode = i;
      else if (n == SANE_NAME_BIT_DEPTH) idx.depth = i;
      else if (n == SANE_NAME_SCAN_RESOLUTION) idx.resolution = i;
      else if (n == SANE_NAME_SCAN_TL_X) idx.tlx = i;
      else if (n == SANE_NAME_SCAN_TL_Y) idx.tly = i;
      else if (n == SANE_NAME_SCAN_BR_X) idx.brx = i;
      else if (n == SANE_NAME_SCAN_BR_Y) idx.bry = i;
    }
    return idx;
  }

  // A number within the option's constraint; options the device does not let
  // us set are left as they are.
  void setNumber(int i, double value) {
    const SANE_Option_Descriptor* d = descriptor(i);
    if (!d || !SANE_OPTION_IS_ACTIVE(d->cap) || !SANE_OPTION_IS_SETTABLE(d->cap) ||
        (d->type != SANE_TYPE_INT && d->type != SANE_TYPE_FIXED) || d->size != sizeof(SANE_Word))
      return;
    if (d->constraint_type == SANE_CONSTRAINT_RANGE) {
      value = std::clamp(value, numberOf(d, d->constraint.range->min), numberOf(d, d->constraint.range->max));
    } else if (d->constraint_type == SANE_CONSTRAINT_WORD_LIST && d->constraint.word_list[0] > 0) {
      double best = numberOf(d, d->constraint.word_list[1]);
      for (SANE_Int k = 1; k <= d->constraint.word_list[0]; ++k) {
        double v = numberOf(d, d->constraint.word_list[k]);
        if (std::fabs(v - value) < std::fabs(best - value)) best = v;
      }
      value = best;
    }
    SANE_Word w = d->type == SANE_TYPE_FIXED ? SANE_FIX(value) : SANE_Word(std::lround(value));
    api_.control(handle_, i, SANE_ACTION_SET_VALUE, &w, nullptr);
  }
  void setString(int i, const char* value) {
    const SANE_Option_Descriptor* d = descriptor(i);
    if (!d || !SANE_OPTION_IS_ACTIVE(d->cap) || !SANE_OPTION_IS_SETTABLE(d->cap) || d->size <= 0) return;
    std::vector<char> buffer(size_t(d->size), '\0');
    std::strncpy(buffer.data(), value, buffer.size() - 1);
    api_.control(handle_, i, SANE_ACTION_SET_VALUE, buffer.data(), nullptr);
  }
  bool listsWord(int i, SANE_Word w) const {
    const SANE_Option_Descriptor* d = descriptor(i);
    if (!d || d->constraint_type != SANE_CONSTRAINT_WORD_LIST) return false;
    for (SANE_Int k = 1; k <= d->constraint.word_list[0]; ++k)
      if (d->constraint.word_list[k] == w) return true;
    return false;
  }
  // The device's own name for mode, or null.
  const char* modeName(int i, ScanMode mode) const {
    const SANE_Option_Descriptor* d = descriptor(i);
    if (!d || d->constraint_type != SANE_CONSTRAINT_STRING_LIST) return nullptr;
    for (const SANE_String_Const* s = d->constraint.string_list; *s; ++s)
      if (modeOf(*s) == mode) return *s;
    return nullptr;
  }

  void setScanning(bool on) { scanning_ = on; }

 private:
  const SaneApi& api_;
  SANE_Handle handle_;
  bool scanning_ = false;
};

// A range option's lower and upper ends; false when it is not a range in millimetres.
bool rangeOf(const Device& device, int i, double& low, double& high) {
  const SANE_Option_Descriptor* d = device.descriptor(i);
  if (!d || d->unit != SANE_UNIT_MM || d->constraint_type != SANE_CONSTRAINT_RANGE) return false;
  low = numberOf(d, d->constraint.range->min);
  high = numberOf(d, d->constraint.range->max);
  return true;
}

void readCapabilities(const Device& device, ScanCapabilities& caps) {
  OptionIndex idx = device.options();
  if (const SANE_Option_Descriptor* d = device.descriptor(idx.mode);
      d && d->constraint_type == SANE_CONSTRAINT_STRING_LIST) {
    for (const SANE_String_Const* s = d->constraint.string_list; *s; ++s) {
      std::optional<ScanMode> m = modeOf(*s);
      if (m && std::find(caps.modes.begin(), caps.modes.end(), *m) == caps.modes.end()) caps.modes.push_back(*m);
    }
  }
  // Grey at one bit per sample is line art on devices without a line-art mode.
  bool grey = std::find(caps.modes.begin(), caps.modes.end(), ScanMode::Grey) != caps.modes.end();
  bool lineArt = std::find(caps.modes.begin(), caps.modes.end(), ScanMode::LineArt) != caps.modes.end();
  if (grey && !lineArt && device.listsWord(idx.depth, 1)) caps.modes.push_back(ScanMode::LineArt);

  if (const SANE_Option_Descriptor* d = device.descriptor(idx.resolution)) {
    if (d->constraint_type == SANE_CONSTRAINT_RANGE) {
      caps.minResolution = int(std::lround(numberOf(d, d->constraint.range->min)));
      caps.maxResolution = int(std::lround(numberOf(d, d->constraint.range->max)));
      caps.resolutionStep = std::max(1, int(std::lround(numberOf(d, d->constraint.range->quant))));
    } else if (d->constraint_type == SANE_CONSTRAINT_WORD_LIST) {
      for (SANE_Int k = 1; k <= d->constraint.word_list[0]; ++k)
        caps.resolutions.push_back(int(std::lround(numberOf(d, d->constraint.word_list[k]))));
      std::sort(caps.resolutions.begin(), caps.resolutions.end());
    }
  }
  double low = 0, high = 0;
  if (rangeOf(device, idx.tlx, caps.bedLeft, high) && rangeOf(device, idx.brx, low, caps.bedRight) &&
      rangeOf(device, idx.tly, caps.bedTop, high) && rangeOf(device, idx.bry, low, caps.bedBottom))
    caps.hasArea = caps.bedRight > caps.bedLeft && caps.bedBottom > caps.bedTop;
}

void configure(Device& device, const ScanRequest& request) {
  OptionIndex idx = device.options();
  if (const char* name = device.modeName(idx.mode, request.mode)) {
    device.setString(idx.mode, name);
  } else if (request.mode == ScanMode::LineArt) {
    if (const char* grey = device.modeName(idx.mode, ScanMode::Grey)) device.setString(idx.mode, grey);
  }
  idx = device.options();
  if (device.listsWord(idx.depth, 8) || device.listsWord(idx.depth, 1))
    device.setNumber(idx.depth, request.mode == ScanMode::LineArt ? 1 : 8);
  idx = device.options();
  device.setNumber(idx.resolution, request.resolution);
  idx = device.options();
  double left = 0, right = 0, top = 0, bottom = 0;
  if (!rangeOf(device, idx.tlx, left, right) || !rangeOf(device, idx.tly, top, bottom) ||
      !rangeOf(device, idx.brx, left, right) || !rangeOf(device, idx.bry, top, bottom))
    return;
  // The top-left corner first goes to the bed's corner so that no step
  // asks for a corner beyond the other one.
  device.setNumber(idx.tlx, left);
  device.setNumber(idx.tly, top);
  bool whole = request.width <= 0 || request.height <= 0;
  double x0 = whole ? left : left + request.left, y0 = whole ? top : top + request.top;
  device.setNumber(idx.brx, whole ? right : x0 + request.width);
  device.setNumber(idx.bry, whole ? bottom : y0 + request.height);
  device.setNumber(idx.tlx, x0);
  device.setNumber(idx.tly, y0);
}

// One frame as read: its parameters and bytes.
struct Frame {
  SANE_Parameters params{};
  std::vector<uint8_t> bytes;
  int lines = 0;   // complete lines received
};

uint8_t sampleAt(const uint8_t* line, int depth, int index) {
  switch (depth) {
    case 1: return (line[index >> 3] >> (7 - (index & 7))) & 1 ? 255 : 0;
    case 16: {
      uint16_t v;
      std::memcpy(&v, line + 2 * index, 2);   // host byte order
      return uint8_t(v >> 8);
    }
    default: return line[index];
  }
}

// The frames into opaque pixels; 1-bit grey has 1 for black.
void convert(const std::vector<Frame>& frames, int width, int height, Image32& image) {
  image.fill(0xFF000000);
  for (const Frame& f : frames) {
    const int depth = f.params.depth;
    for (int y = 0; y < height; ++y) {
      const uint8_t* line = f.bytes.data() + size_t(y) * size_t(f.params.bytes_per_line);
      Pixel* out = image.row(y);
      for (int x = 0; x < width; ++x) {
        Pixel p = out[x];
        switch (f.params.format) {
          case SANE_FRAME_GRAY: {
            uint8_t v = sampleAt(line, depth, x);
            if (depth == 1) v = uint8_t(255 - v);
            p = 0xFF000000u | Pixel(v) * 0x010101u;
            break;
          }
          case SANE_FRAME_RGB:
            p = 0xFF000000u | Pixel(sampleAt(line, depth, 3 * x)) << 16 |
                Pixel(sampleAt(line, depth, 3 * x + 1)) << 8 | sampleAt(line, depth, 3 * x + 2);
            break;
          case SANE_FRAME_RED: p = (p & 0xFF00FFFFu) | Pixel(sampleAt(line, depth, x)) << 16; break;
          case SANE_FRAME_GREEN: p = (p & 0xFFFF00FFu) | Pixel(sampleAt(line, depth, x)) << 8; break;
          case SANE_FRAME_BLUE: p = (p & 0xFFFFFF00u) | sampleAt(line, depth, x); break;
          default: break;
        }
        out[x] = p;
      }
    }
  }
}

// Bytes one line needs at least, or 0 for a format we do not take.
int64_t lineBytes(const SANE_Parameters& p) {
  if (p.depth != 1 && p.depth != 8 && p.depth != 16) return 0;
  int channels = p.format == SANE_FRAME_RGB ? 3 : 1;
  if (p.format > SANE_FRAME_BLUE) return 0;
  return (int64_t(p.pixels_per_line) * channels * p.depth + 7) / 8;
}

class SaneScanner : public Scanner {
 public:
  explicit SaneScanner(std::string library) : library_(std::move(library)) {}
  ~SaneScanner() override {
    if (initialised_) api_.exit();
    if (lib_) dlclose(lib_);
  }

  bool available() override {
    std::lock_guard lock(mutex_);
    return load();
  }
  std::string unavailableReason() const override {
    return text::tr("无法加载SANE库(") + library_ + text::tr(")，扫描仪命令不可用");
  }

  ScanStatus listDevices(std::vector<ScannerDevice>& devices) override {
    std::lock_guard lock(mutex_);
    if (!init()) return ScanStatus::Unavailable;
    const SANE_Device** list = nullptr;
    SANE_Status s = api_.getDevices(&list, SANE_FALSE);
    if (s != SANE_STATUS_GOOD) return statusOf(s);
    devices.clear();
    for (; list && *list; ++list) {
      const SANE_Device* d = *list;
      auto text = [](const char* t) { return std::string(t ? t : ""); };
      devices.push_back({text(d->name), text(d->vendor), text(d->model), text(d->type)});
    }
    return ScanStatus::Ok;
  }

  ScanStatus capabilities(const std::string& name, ScanCapabilities& caps) override {
    std::lock_guard lock(mutex_);
    std::unique_ptr<Device> device;
    if (ScanStatus s = openDevice(name, device); s != ScanStatus::Ok) return s;
    caps = {};
    readCapabilities(*device, caps);
    return ScanStatus::Ok;
  }

  ScanStatus scan(const ScanRequest& request, Image32& image, Progress& progress, int& width,
                  int& height) override {
    std::lock_guard lock(mutex_);
    std::unique_ptr<Device> device;
    if (ScanStatus s = openDevice(request.device, device); s != ScanStatus::Ok) return s;
    configure(*device, request);
    // The announced size, before anything is transferred.
    SANE_Parameters p{};
    if (api_.parameters(device->handle(), &p) == SANE_STATUS_GOOD &&
        (p.pixels_per_line > kMaxCanvasSize || p.lines > kMaxCanvasSize)) {
      width = p.pixels_per_line;
      height = p.lines;
      return ScanStatus::TooLarge;
    }
    std::vector<Frame> frames;
    ScanStatus s = readFrames(*device, progress, frames, width, height);
    if (s != ScanStatus::Ok) return s;
    device.reset();   // ends the scan and frees the device before the conversion
    if (!image.create(width, height)) return ScanStatus::NoMemory;
    convert(frames, width, height, image);
    return ScanStatus::Ok;
  }

 private:
  bool load() {
    if (lib_) return true;
    if (tried_) return false;
    tried_ = true;
    lib_ = dlopen(library_.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!lib_) return false;
    bool ok = true;
    auto bind = [&](auto& fn, const char* symbol) {
      fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(dlsym(lib_, symbol));
      ok = ok && fn;
    };
    bind(api_.init, "sane_init");
    bind(api_.exit, "sane_exit");
    bind(api_.getDevices, "sane_get_devices");
    bind(api_.open, "sane_open");
    bind(api_.close, "sane_close");
    bind(api_.descriptor, "sane_get_option_descriptor");
    bind(api_.control, "sane_control_option");
    bind(api_.parameters, "sane_get_parameters");
    bind(api_.start, "sane_start");
    bind(api_.read, "sane_read");
    bind(api_.cancel, "sane_cancel");
    if (!ok) {
      dlclose(lib_);
      lib_ = nullptr;
    }
    return ok;
  }
  bool init() {
    if (initialised_) return true;
    if (!load()) return false;
    SANE_Int version = 0;
    initialised_ = api_.init(&version, nullptr) == SANE_STATUS_GOOD;
    return initialised_;
  }
  ScanStatus openDevice(const std::string& name, std::unique_ptr<Device>& device) {
    if (!init()) return ScanStatus::Unavailable;
    if (name.empty()) return ScanStatus::NoDevice;
    SANE_Handle handle = nullptr;
    SANE_Status s = api_.open(name.c_str(), &handle);
    if (s != SANE_STATUS_GOOD || !handle) return s == SANE_STATUS_GOOD ? ScanStatus::Failed : statusOf(s);
    device = std::make_unique<Device>(api_, handle);
    return ScanStatus::Ok;
  }

  ScanStatus readFrames(Device& device, Progress& progress, std::vector<Frame>& frames, int& width,
                        int& height) {
    progress.setRange(1000);
    int64_t done = 0;
    for (;;) {
      SANE_Status s = api_.start(device.handle());
      if (s != SANE_STATUS_GOOD) return statusOf(s);
      device.setScanning(true);
      Frame f;
      if (api_.parameters(device.handle(), &f.params) != SANE_STATUS_GOOD) return ScanStatus::Failed;
      const SANE_Parameters& p = f.params;
      int64_t need = lineBytes(p);
      if (need <= 0 || p.pixels_per_line <= 0 || p.bytes_per_line < need) return ScanStatus::Failed;
      if (!frames.empty() && (p.pixels_per_line != width || p.bytes_per_line != frames[0].params.bytes_per_line))
        return ScanStatus::Failed;
      width = p.pixels_per_line;
      height = p.lines;
      if (p.pixels_per_line > kMaxCanvasSize || p.lines > kMaxCanvasSize) return ScanStatus::TooLarge;
      const int passes = p.format == SANE_FRAME_RGB || p.format == SANE_FRAME_GRAY ? 1 : 3;
      const int64_t expected = int64_t(p.bytes_per_line) * (p.lines > 0 ? p.lines : kMaxCanvasSize) * passes;
      ScanStatus r = readFrame(device, progress, f, done, expected, height);
      if (r != ScanStatus::Ok) return r;
      frames.push_back(std::move(f));
      if (frames.back().params.last_frame || frames.size() >= 3) break;
    }
    height = frames[0].lines;
    for (const Frame& f : frames) height = std::min(height, f.lines);
    return height > 0 ? ScanStatus::Ok : ScanStatus::Failed;
  }

  ScanStatus readFrame(Device& device, Progress& progress, Frame& f, int64_t& done, int64_t expected,
                       int& height) {
    const int64_t bpl = f.params.bytes_per_line;
    const int64_t limit = bpl * (f.params.lines > 0 ? f.params.lines : kMaxCanvasSize + 1);
    std::vector<uint8_t> chunk(size_t(std::min<int64_t>(std::max<int64_t>(bpl, 32768), 1 << 20)));
    try {
      f.bytes.reserve(size_t(f.params.lines > 0 ? limit : bpl * 64));
    } catch (const std::bad_alloc&) {
      return ScanStatus::NoMemory;
    }
    for (;;) {
      if (progress.cancelled()) return ScanStatus::Cancelled;
      SANE_Int got = 0;
      SANE_Status s = api_.read(device.handle(), chunk.data(), SANE_Int(chunk.size()), &got);
      if (s == SANE_STATUS_EOF) break;
      if (s != SANE_STATUS_GOOD) return progress.cancelled() ? ScanStatus::Cancelled : statusOf(s);
      got = std::clamp<SANE_Int>(got, 0, SANE_Int(chunk.size()));
      // A device that sends more than it announced is cut at what it announced.
      int64_t take = std::min<int64_t>(got, limit - int64_t(f.bytes.size()));
      if (take > 0) {
        try {
          f.bytes.insert(f.bytes.end(), chunk.begin(), chunk.begin() + take);
        } catch (const std::bad_alloc&) {
          return ScanStatus::NoMemory;
        }
      }
      if (f.params.lines < 0 && int64_t(f.bytes.size()) > bpl * kMaxCanvasSize) {
        height = int(f.bytes.size() / size_t(bpl));
        return ScanStatus::TooLarge;
      }
      done += got;
      progress.setPosition(int(std::min<int64_t>(999, done * 1000 / std::max<int64_t>(expected, 1))));
    }
    f.lines = int(int64_t(f.bytes.size()) / bpl);
    return ScanStatus::Ok;
  }

  std::string library_;
  std::mutex mutex_;
  void* lib_ = nullptr;
  bool tried_ = false, initialised_ = false;
  SaneApi api_;
};

}  // namespace

std::unique_ptr<Scanner> makeSaneScanner(const std::string& library) {
  std::string name = library;
  if (name.empty()) {
    const char* env = std::getenv("TESSEL_SANE_LIBRARY");
    name = env && *env ? env : "libsane.so.1";
  }
  return std::make_unique<SaneScanner>(name);
}

}  // namespace tessel
