// Tries to become the single instance of a name; with "hold" it keeps the mutex until killed.
#include "SingleInstance.h"

#include <QString>

#include <cstdio>
#include <cstring>
#include <thread>

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    SingleInstance instance(QString::fromLocal8Bit(argv[1]));
    const bool created = instance.State() == SingleInstance::TState::Created;
    std::printf("%s\n", created ? "created" : "exists");
    std::fflush(stdout);
    if (created && argc > 2 && std::strcmp(argv[2], "hold") == 0)
        for (;;)
            std::this_thread::sleep_for(std::chrono::seconds(1));
    return created ? 0 : 1;
}
