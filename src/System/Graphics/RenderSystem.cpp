#include "System/Graphics/RenderSystem.h"

RenderSystem* g_pRenderSystem = nullptr;
