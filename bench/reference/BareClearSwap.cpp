// The least a 60-Hz game window can cost: SDL2 and OpenGL 3.3 core, the same window size and
// buffer request as the game, a clear of colour and depth and a swap per frame, paced by sleeping
// to the next 1/60 s as the game's frame pacer does. scripts/idle-cpu measures the game's empty
// stage against it in the same run; nothing of the engine is linked, so it stays the floor.
//   qm_bareswap [seconds]   (runs until SIGINT/SIGTERM without an argument)
#include <SDL.h>
#include <epoxy/gl.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

volatile std::sig_atomic_t g_bStop = 0;

void OnSignal(int) { g_bStop = 1; }

} // namespace

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 0.0;
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "qm_bareswap: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_Window* window = SDL_CreateWindow("bare clear and swap", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 960,
                                          540, SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN);
    SDL_GLContext context = window ? SDL_GL_CreateContext(window) : nullptr;
    if (!context) {
        std::fprintf(stderr, "qm_bareswap: %s\n", SDL_GetError());
        SDL_Quit();
        return 1;
    }
    using Clock = std::chrono::steady_clock;
    const auto period = std::chrono::microseconds(16667);
    const auto start = Clock::now();
    auto next = start;
    while (!g_bStop) {
        SDL_Event event;
        while (SDL_PollEvent(&event))
            if (event.type == SDL_QUIT)
                g_bStop = 1;
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        SDL_GL_SwapWindow(window);
        next += period;
        const auto now = Clock::now();
        if (next > now)
            std::this_thread::sleep_until(next);
        else
            next = now;
        if (seconds > 0.0 && std::chrono::duration<double>(Clock::now() - start).count() >= seconds)
            break;
    }
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
