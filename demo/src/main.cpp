// xinghe-demo: the local stand-in of the Vexa platform for the 星河 launcher.
#include <atomic>
#include <chrono>
#include <csignal>
#include <iostream>
#include <pthread.h>
#include <thread>

#include "demo_server.h"
#include "options.h"

#ifndef XHDEMO_DEFAULT_PORT
#define XHDEMO_DEFAULT_PORT 47615
#endif

int main(int argc, char** argv) {
    using namespace xh::demo;
    ParsedOptions parsed = ParseOptions(std::vector<std::string>(argv + 1, argv + argc), XHDEMO_DEFAULT_PORT);
    if (parsed.help) {
        std::cout << UsageText(XHDEMO_DEFAULT_PORT);
        return 0;
    }
    if (!parsed.options) {
        std::cerr << "xinghe-demo: " << parsed.error << "\n" << UsageText(XHDEMO_DEFAULT_PORT);
        return 2;
    }

    // SIGINT/SIGTERM go to one waiting thread, which stops the server cleanly; blocked
    // before any other thread exists so that the server's workers inherit the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    DemoServer server(*parsed.options);
    std::string error;
    int port = server.Start(error);
    if (port < 0) {
        std::cerr << "xinghe-demo: " << error << "\n";
        return 1;
    }
    std::cout << "xinghe-demo listening on http://127.0.0.1:" << port << "/" << std::endl;
    std::cout << "login page: http://127.0.0.1:" << port << "/games/xhvx/dlq/" << std::endl;

    std::atomic<bool> served = false;
    std::thread stopper([&] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        // A stop that comes before the server loop runs is lost, so repeat it until it ends.
        while (!served) {
            server.Stop();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    server.Serve();
    served = true;
    // Serve() can also end on its own; wake the waiting thread in that case.
    pthread_kill(stopper.native_handle(), SIGTERM);
    stopper.join();
    return 0;
}
