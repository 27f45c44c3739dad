#include "audio_files.h"

#include <windows.h>

#include <algorithm>

namespace tandrel::wintest {
namespace {

std::wstring ScratchRoot() {
  wchar_t temp[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH + 1, temp);
  return std::wstring(temp) + L"tandrel-client\\";
}

void RemoveTree(const std::wstring& folder) {
  for (const std::wstring& name : ListFolder(folder)) {
    const std::wstring path = folder + name;
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      RemoveTree(path + L"\\");
      ::RemoveDirectoryW(path.c_str());
    } else {
      ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      ::DeleteFileW(path.c_str());
    }
  }
}

}  // namespace

std::wstring ScratchFolder(std::wstring_view name) {
  const std::wstring root = ScratchRoot();
  ::CreateDirectoryW(root.c_str(), nullptr);
  const std::wstring folder = root + std::wstring(name) + L"\\";
  ::CreateDirectoryW(folder.c_str(), nullptr);
  RemoveTree(folder);
  return folder;
}

void RemoveScratch() {
  const std::wstring root = ScratchRoot();
  RemoveTree(root);
  ::RemoveDirectoryW(root.c_str());
}

void WriteBytes(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
  const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ::CloseHandle(file);
}

std::vector<std::uint8_t> ReadBytes(const std::wstring& path) {
  const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  LARGE_INTEGER size{};
  ::GetFileSizeEx(file, &size);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
  DWORD read = 0;
  if (!bytes.empty())
    ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  ::CloseHandle(file);
  bytes.resize(read);
  return bytes;
}

bool FileExists(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::wstring> ListFolder(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  const HANDLE search = ::FindFirstFileW((folder + L"*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

std::string Ansi(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
  return out;
}

std::wstring Wide(std::string_view ascii) {
  return std::wstring(ascii.begin(), ascii.end());
}

std::vector<std::uint8_t> WaveSamples(std::uint32_t dataSize, std::uint32_t seed) {
  std::vector<std::uint8_t> samples(dataSize);
  for (std::uint32_t i = 0; i < dataSize; ++i) {
    samples[i] = static_cast<std::uint8_t>((i * 13 + seed * 101 + (i >> 8)) & 0xFF);
  }
  return samples;
}

std::vector<std::uint8_t> WaveFile(std::uint32_t dataSize, std::uint32_t seed) {
  // The canonical 44 bytes: RIFF size, a 16-byte "fmt " chunk (PCM, 2 channels, 44100 Hz,
  // 176400 bytes a second, blocks of 4 bytes, 16 bits), then the data chunk.
  std::vector<std::uint8_t> bytes(44);
  auto put = [&bytes](std::size_t at, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
  };
  auto tag = [&put](std::size_t at, char a, char b, char c, char d) {
    put(at, static_cast<std::uint32_t>(a | b << 8 | c << 16 | d << 24), 4);
  };
  tag(0, 'R', 'I', 'F', 'F');
  put(4, 36 + dataSize, 4);
  tag(8, 'W', 'A', 'V', 'E');
  tag(12, 'f', 'm', 't', ' ');
  put(16, 16, 4);
  put(20, 1, 2);
  put(22, 2, 2);
  put(24, 44100, 4);
  put(28, kWaveBytesPerSecond, 4);
  put(32, 4, 2);
  put(34, 16, 2);
  tag(36, 'd', 'a', 't', 'a');
  put(40, dataSize, 4);
  const auto samples = WaveSamples(dataSize, seed);
  bytes.resize(44 + samples.size());
  std::copy(samples.begin(), samples.end(), bytes.begin() + 44);
  return bytes;
}

std::vector<std::uint8_t> Mp3File(int frames) {
  // Header FF FB 90 40: MPEG-1 Layer III without CRC, 128 kbit/s, 44100 Hz, no padding, joint
  // stereo; 144 * 128000 / 44100 = 417 bytes a frame. Side information of zeros (silence), then
  // a body that never holds 0xFF, so no false sync appears inside a frame.
  constexpr std::size_t kFrameLength = 417;
  constexpr std::size_t kSideInfo = 32;
  std::vector<std::uint8_t> bytes;
  bytes.reserve(kFrameLength * static_cast<std::size_t>(frames));
  for (int f = 0; f < frames; ++f) {
    const std::size_t start = bytes.size();
    bytes.resize(start + kFrameLength, 0);
    bytes[start] = 0xFF;
    bytes[start + 1] = 0xFB;
    bytes[start + 2] = 0x90;
    bytes[start + 3] = 0x40;
    for (std::size_t i = 4 + kSideInfo; i < kFrameLength; ++i) {
      bytes[start + i] = static_cast<std::uint8_t>((f * 31 + i * 7) % 255);
    }
  }
  return bytes;
}

}  // namespace tandrel::wintest
