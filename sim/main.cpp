// orx-sim: an ORX device on Modbus TCP for tests, demonstrations and users without hardware.

#include "sim/CommandLine.h"
#include "sim/OpenFileLimit.h"
#include "sim/SimConfigFile.h"

#include <csignal>
#include <iostream>
#include <memory>
#include <pthread.h>

namespace {

// sysexits.h values, so scripts can tell the failures apart.
constexpr int EXIT_USAGE = 64;
constexpr int EXIT_DATA_ERROR = 65;
constexpr int EXIT_NO_INPUT = 66;
constexpr int EXIT_UNAVAILABLE = 69;
constexpr int EXIT_CANNOT_CREATE = 73;

int LoadImage(const SimCommandLine& cl, DeviceImage& image) {
    image = DefaultDeviceImage();
    if (!cl.configFile.empty()) {
        std::string error;
        const ConfigLoad loaded = LoadConfigFile(cl.configFile, image, error);
        if (loaded != ConfigLoad::Loaded) {
            std::cerr << "orx-sim: " << error << '\n';
            return loaded == ConfigLoad::CannotOpen ? EXIT_NO_INPUT : EXIT_DATA_ERROR;
        }
    }
    if (cl.serial)
        image.serial = *cl.serial;
    if (cl.identity)
        image.identity[0] = *cl.identity;
    image.locked = cl.locked;
    return EXIT_SUCCESS;
}

// Blocks the stop signals (Ctrl-C, SIGTERM, and SIGHUP from a terminal that closes) in this
// and every later thread, so that the first of them ends the simulation in order; a closed
// pipe only fails the writes to it.
void BlockStopSignals(sigset_t& set) {
    std::signal(SIGPIPE, SIG_IGN);
    sigemptyset(&set);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&set, signal);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

int Run(SimCommandLine cl) {
    SimulatorOptions& options = cl.simulator;
    if (const int rc = LoadImage(cl, options.image); rc != EXIT_SUCCESS)
        return rc;
    if (cl.log)
        options.log = [](const std::string& line) { std::cout << line << std::endl; };
    sigset_t stopSignals;
    BlockStopSignals(stopSignals);
    RaiseOpenFileLimit(); // as many clients as the system allows
    try {
        std::vector<std::unique_ptr<OrxSimulator>> simulators;
        for (int device = 0; device < cl.devices; ++device) {
            simulators.push_back(std::make_unique<OrxSimulator>(options));
            std::cout << "orx-sim listening on " << simulators.back()->Address() << ':'
                      << simulators.back()->Port() << std::endl;
            ++options.image.serial;
            options.port = options.port == 0 ? 0 : static_cast<WORD>(options.port + 1);
        }
        int signal = 0;
        sigwait(&stopSignals, &signal);
        // A second one ends what the first began (stopping, saving) at once.
        pthread_sigmask(SIG_UNBLOCK, &stopSignals, nullptr);
        for (const auto& simulator : simulators)
            simulator->Stop();
        if (!cl.saveFile.empty() && !SaveConfigFile(cl.saveFile, simulators[0]->Image())) {
            std::cerr << "orx-sim: cannot write " << cl.saveFile << '\n';
            return EXIT_CANNOT_CREATE;
        }
    } catch (const std::exception& e) {
        std::cerr << "orx-sim: " << e.what() << '\n';
        return EXIT_UNAVAILABLE;
    }
    return EXIT_SUCCESS;
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app("", "orx-sim");
    SimCommandLine cl;
    try {
        cl = ParseCommandLine({argv + 1, argv + argc}, app);
    } catch (const CLI::Success& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::cerr << "orx-sim: " << e.what() << "\nRun orx-sim --help for the options.\n";
        return EXIT_USAGE;
    }
    return Run(std::move(cl));
}
