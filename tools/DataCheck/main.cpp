// qm_datacheck <game folder>: prints one line per finding; exits 1 when there is any, 0 when
// the data is clean, 2 on a wrong command line.
#include "DataCheck.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <game folder>\n", argv[0]);
        return 2;
    }
    const std::vector<DataFinding> findings = CheckGameData(argv[1]);
    for (const DataFinding& finding : findings)
        std::printf("DATA ERROR %s\n", FormatFinding(finding).c_str());
    std::printf("%zu data error(s) in %s\n", findings.size(), argv[1]);
    return findings.empty() ? 0 : 1;
}
