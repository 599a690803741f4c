// Umbrella header of the Win32 stand-in: what game code includes in place of <windows.h>.
#pragma once

#include "Platform/COM/ComApartment.h"
#include "Platform/Win32/CodePage.h"
#include "Platform/Win32/DebugOutput.h"
#include "Platform/Win32/FileSystem.h"
#include "Platform/Win32/FindFile.h"
#include "Platform/Win32/LastError.h"
#include "Platform/Win32/Message.h"
#include "Platform/Win32/Process.h"
#include "Platform/Win32/Profile.h"
#include "Platform/Win32/Sync.h"
#include "Platform/Win32/Time.h"
#include "Platform/Win32/UserName.h"
#include "Platform/Win32/WaveFormat.h"
#include "Platform/Win32/WinTypes.h"
#include "Platform/Win32/Window.h"

