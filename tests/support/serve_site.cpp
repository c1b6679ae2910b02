// vantrel_site_server DIR [PORT]: serves a site copy on 127.0.0.1 for the
// demo and for manual runs. Prints the port on the first line of standard
// output, then serves until SIGINT or SIGTERM. Requests for ".../result"
// or ".../result.html" that are not files answer with a search result page.

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>
#include <pthread.h>
#include <string>

#include "http_server.h"

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3 || std::string(argv[1]) == "--help") {
        std::cerr << "Usage: vantrel_site_server DIR [PORT]\n"
                     "Serves the files of DIR on 127.0.0.1 (PORT 0 or none: a free port)\n"
                     "and prints the port it listens on.\n";
        return 2;
    }
    const std::filesystem::path root = argv[1];
    if (!std::filesystem::is_directory(root)) {
        std::cerr << "vantrel_site_server: not a folder: " << root << "\n";
        return 1;
    }
    long port = 0;
    if (argc == 3) {
        char* end = nullptr;
        port = std::strtol(argv[2], &end, 10);
        if (*argv[2] == '\0' || *end != '\0' || port < 0 || port > 65535) {
            std::cerr << "vantrel_site_server: not a port number: " << argv[2] << "\n";
            return 2;
        }
    }

    // Block the stop signals before the server starts its threads, so they
    // inherit the mask and only sigwait below sees the signals.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    testsupport::HttpServer server(root);
    try {
        server.start(static_cast<std::uint16_t>(port));
    } catch (const std::exception& error) {
        std::cerr << "vantrel_site_server: " << error.what() << "\n";
        return 1;
    }
    std::cout << server.port() << std::endl;
    std::cerr << "Serving " << root.string() << " at " << server.url("/") << "\n";

    int signal = 0;
    sigwait(&stopSignals, &signal);
    server.stop();
    return 0;
}
