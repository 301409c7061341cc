// pinwright-cli: the headless front end of Tarvellic Pinwright, for scripts and CI.
#include "cli/commands.h"

#include <QCoreApplication>

#include <iostream>
#include <unistd.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i]);
    return cli::run_cli(args, QCoreApplication::applicationDirPath().toStdString(), std::cout,
                        std::cerr, isatty(STDERR_FILENO) != 0);
}
