// How the process's heap gives memory back to the system.
#pragma once

// Keeps freed memory in the process instead of handing it back after every large free. The
// software rasteriser allocates and frees its vertex and bin storage on every draw and every
// frame; with the C library's defaults the freed top of the heap (and every block past the
// mapping threshold) goes back to the kernel each time and comes back as fresh zeroed pages,
// so a busy frame spent more of its submitting thread in page faults than in drawing.
// Called once at start-up, before any other thread runs.
void BackendConfigureHeap();
