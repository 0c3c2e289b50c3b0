#include "storage/picture_writer.h"

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
// Paths are UTF-8; on Windows stb then opens them by their UTF-16 name.
#define STBIW_WINDOWS_UTF8
#include <stb/stb_image_write.h>

#include <algorithm>
#include <fstream>

#include "storage/paths.h"

namespace puzzle {

std::vector<std::uint8_t> EncodeGif(int width, int height, const std::vector<Rgb24>& palette,
                                    const std::vector<GifFrame>& frames) {
  int bits = 2;
  while ((1u << bits) < palette.size()) ++bits;
  std::vector<std::uint8_t> out{'G', 'I', 'F', '8', '9', 'a'};
  auto put16 = [&out](int value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
  };
  put16(width);
  put16(height);
  out.push_back(static_cast<std::uint8_t>(0xF0 | (bits - 1)));
  out.push_back(0);
  out.push_back(0);
  for (std::size_t i = 0; i < (std::size_t{1} << bits); ++i) {
    const Rgb24 colour = i < palette.size() ? palette[i] : Rgb24{0, 0, 0};
    out.insert(out.end(), colour.begin(), colour.end());
  }
  for (const GifFrame& frame : frames) {
    out.insert(out.end(), {0x21, 0xF9, 0x04, 0x00});
    put16(frame.delayHundredths);
    out.insert(out.end(), {0x00, 0x00});
    out.push_back(0x2C);
    put16(0);
    put16(0);
    put16(width);
    put16(height);
    out.push_back(0);
    out.push_back(static_cast<std::uint8_t>(bits));

    std::vector<std::uint8_t> stream;
    std::uint32_t accumulator = 0;
    int filled = 0;
    auto code = [&](std::uint32_t value) {
      accumulator |= value << filled;
      filled += bits + 1;
      while (filled >= 8) {
        stream.push_back(static_cast<std::uint8_t>(accumulator & 0xFF));
        accumulator >>= 8;
        filled -= 8;
      }
    };
    const std::uint32_t clear = 1u << bits;
    for (std::uint8_t index : frame.indices) {
      code(clear);
      code(index);
    }
    code(clear + 1);
    if (filled > 0) stream.push_back(static_cast<std::uint8_t>(accumulator & 0xFF));
    for (std::size_t at = 0; at < stream.size(); at += 255) {
      const std::size_t length = std::min<std::size_t>(255, stream.size() - at);
      out.push_back(static_cast<std::uint8_t>(length));
      out.insert(out.end(), stream.begin() + static_cast<std::ptrdiff_t>(at),
                 stream.begin() + static_cast<std::ptrdiff_t>(at + length));
    }
    out.push_back(0);
  }
  out.push_back(0x3B);
  return out;
}

std::vector<std::uint8_t> EncodeWithStb(StbFormat format, int width, int height, int channels,
                                        const std::uint8_t* pixels) {
  std::vector<std::uint8_t> out;
  auto append = [](void* context, void* data, int size) {
    auto* bytes = static_cast<std::uint8_t*>(data);
    static_cast<std::vector<std::uint8_t>*>(context)->insert(
        static_cast<std::vector<std::uint8_t>*>(context)->end(), bytes, bytes + size);
  };
  switch (format) {
    case StbFormat::Png: stbi_write_png_to_func(append, &out, width, height, channels, pixels, 0); break;
    case StbFormat::Bmp: stbi_write_bmp_to_func(append, &out, width, height, channels, pixels); break;
    case StbFormat::Tga: stbi_write_tga_to_func(append, &out, width, height, channels, pixels); break;
    case StbFormat::Jpg: stbi_write_jpg_to_func(append, &out, width, height, channels, pixels, 95); break;
  }
  return out;
}

std::vector<std::uint8_t> EncodePnm(int width, int height, int channels, const std::uint8_t* pixels) {
  const std::string header =
      (channels == 1 ? "P5\n" : "P6\n") + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
  std::vector<std::uint8_t> out(header.begin(), header.end());
  out.insert(out.end(), pixels, pixels + static_cast<std::size_t>(width) * height * channels);
  return out;
}

bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream file(FileSystemPath(path), std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}

bool WritePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb) {
  return stbi_write_png(path.c_str(), width, height, 3, rgb.data(), width * 3) != 0;
}

}  // namespace puzzle
