// The command line is outside input: any bytes must split without fault.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/CommandLine.h"
#include "common/Mbcs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string line(reinterpret_cast<const char*>(data), size);
    std::vector<CommandLineArgument> args = SplitCommandLine(line);
    StartSwitches s = ScanSwitches(args);
    for (const CommandLineArgument& a : args) (void)EqualsNoCaseMbcs(a.text, "MapDownload");
    (void)s;
    return 0;
}
