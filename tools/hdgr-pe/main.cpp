// hdgr-pe imports EXE              the DLLs EXE imports, one a line, lower case
// hdgr-pe load-flags EXE           the load configuration's DependentLoadFlags, or "none"
// hdgr-pe attach-load-config EXE   points EXE's header at its .lcfg section (after linking)
// hdgr-pe section-of EXE OFFSET    the section holding a file offset
#include <cctype>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "tools/hdgr-pe/pe_image.h"

namespace {

std::vector<std::uint8_t> ReadAll(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw hdgr::pe::PeError(std::string("cannot read ") + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Written beside and renamed over, so a failure never leaves half a program.
void WriteAll(const char* path, const std::vector<std::uint8_t>& bytes) {
  const std::string temporary = std::string(path) + ".hdgr-pe";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) {
      std::remove(temporary.c_str());
      throw hdgr::pe::PeError(std::string("cannot write ") + path);
    }
  }
  if (std::rename(temporary.c_str(), path) != 0) {
    std::remove(temporary.c_str());
    throw hdgr::pe::PeError(std::string("cannot replace ") + path);
  }
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

int Run(std::string_view command, const char* path, const char* argument) {
  hdgr::pe::PeImage image(ReadAll(path));
  if (command == "imports") {
    for (const std::string& dll : image.ImportedDlls()) std::printf("%s\n", Lower(dll).c_str());
  } else if (command == "load-flags") {
    const auto flags = image.DependentLoadFlags();
    if (flags) std::printf("0x%x\n", *flags);
    else std::printf("none\n");
  } else if (command == "attach-load-config") {
    image.AttachLoadConfig();
    WriteAll(path, image.Bytes());
  } else if (command == "section-of" && argument != nullptr) {
    std::printf("%s\n", image.SectionAt(hdgr::pe::ParseOffset(argument)).c_str());
  } else {
    return 2;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 || argc == 4) {
    try {
      const int result = Run(argv[1], argv[2], argc == 4 ? argv[3] : nullptr);
      if (result != 2) return result;
    } catch (const std::exception& error) {
      std::fprintf(stderr, "hdgr-pe: %s\n", error.what());
      return 1;
    }
  }
  std::fprintf(stderr,
               "usage: hdgr-pe imports|load-flags|attach-load-config EXE\n"
               "       hdgr-pe section-of EXE OFFSET\n");
  return 2;
}
