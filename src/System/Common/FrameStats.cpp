#include "System/Common/FrameStats.h"

FrameStats g_FrameStats;
