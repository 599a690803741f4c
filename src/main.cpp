#include "System/Common/Log.h"

int main()
{
    LOG_INFO << "Quillmark ver1.0.3";
    return 0;
}
