// qm_datacheck <game folder>: prints one line per finding; exits 1 when there is any error, 0
// when the data is clean (warnings aside), 2 on a wrong command line.
#include "DataCheck.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <game folder>\n", argv[0]);
        return 2;
    }
    const std::vector<DataFinding> findings = CheckGameData(argv[1]);
    size_t errors = 0;
    for (const DataFinding& finding : findings) {
        std::printf("DATA %s %s\n", finding.warning ? "WARNING" : "ERROR", FormatFinding(finding).c_str());
        errors += !finding.warning;
    }
    std::printf("%zu data error(s) in %s\n", errors, argv[1]);
    return errors == 0 ? 0 : 1;
}
