#include "support/SystemFile_win.h"

#include <fstream>
#include <iterator>

namespace systemfile {

std::string TempPath(const std::string& name) {
  static const std::string folder = [] {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    std::string f = std::string(temp) + "trazel_tests_" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(f.c_str(), nullptr);
    return f + "\\";
  }();
  return folder + name;
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

long ReadSettings(TestHost& host, HostBlock& block, const std::string& bytes,
                  const std::string& prefix, uint32_t highBits) {
  const std::string path = TempPath("read.sys");
  WriteFileBytes(path, prefix + bytes);
  OFSTRUCT of{};
  of.cBytes = sizeof of;
  const HFILE file = OpenFile(path.c_str(), &of, OF_READ);
  if (file == HFILE_ERROR) return -1;
  _llseek(file, static_cast<LONG>(prefix.size()), FILE_BEGIN);
  const uint32_t handle = (static_cast<uint32_t>(file) & 0xFFFFu) | (highBits << 16);
  host.Api().ReadFromFile(handle, block.Record());
  const long position = _llseek(file, 0, FILE_CURRENT);
  _lclose(file);
  return position;
}

std::string SavedLines(TestHost& host, HostBlock& block, uint32_t highBits) {
  const std::string path = TempPath("write.sys");
  const HFILE file = _lcreat(path.c_str(), 0);
  if (file == HFILE_ERROR) return "<no file>";
  const uint32_t handle = (static_cast<uint32_t>(file) & 0xFFFFu) | (highBits << 16);
  host.Api().WriteToFile(handle, block.Record());
  _lclose(file);
  return ReadFileBytes(path);
}

}  // namespace systemfile
