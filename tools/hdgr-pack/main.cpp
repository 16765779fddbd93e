// hdgr-pack: builds, checks and unpacks carrier bitmaps; lists the packed files' names for the build. Exit
// code 0 on success, 2 with one line on stderr for any problem.

#include <exception>
#include <iostream>
#include <variant>
#include <string>
#include <vector>

#include "tools/hdgr-pack/command_line.h"
#include "tools/hdgr-pack/pack_error.h"

namespace {

constexpr int kRefused = 2;

struct Runner {
  void operator()(const hdgr::HelpCommand&) const { std::cout << hdgr::kUsage; }
  void operator()(const hdgr::BuildRequest& request) const { hdgr::BuildCarrier(request, std::cout); }
  void operator()(const hdgr::CheckCommand& c) const { hdgr::CheckCarrier(c.carrier, c.table, std::cout); }
  void operator()(const hdgr::UnpackCommand& c) const {
    hdgr::UnpackCarrier(c.carrier, c.table, c.folder, std::cout);
  }
  void operator()(const hdgr::PadCommand& c) const { hdgr::PadProgram(c.length, c.program, c.padded); }
  void operator()(const hdgr::MakeDemoCommand& c) const { hdgr::MakeDemoFile(c.segment, c.file); }
  void operator()(const hdgr::SegmentsCommand&) const { hdgr::ListSegments(std::cout); }
};

}  // namespace

int main(int argc, char** argv) {
  try {
    std::visit(Runner{}, hdgr::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc)));
    std::cout.flush();
    if (!std::cout) throw hdgr::PackError("cannot write the report to standard output");
    return 0;
  } catch (const std::exception& error) {
    std::cerr << "hdgr-pack: " << error.what() << "\n";
    return kRefused;
  }
}
