#include "bench/bench_options.h"

#include <sched.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace bench {

int BenchOptions::CodingValue() const {
    if (coding == "raw") {
        return 2;
    }
    if (coding == "jpeg") {
        return 4;
    }
    if (coding == "h264") {
        return 7;
    }
    return 0;
}

bool PinToCpus(const std::string& list, std::string* error) {
    cpu_set_t set;
    CPU_ZERO(&set);
    std::stringstream items(list);
    for (std::string item; std::getline(items, item, ',');) {
        int first = -1, last = -1;
        char tail = 0;
        const int n = std::sscanf(item.c_str(), "%d-%d%c", &first, &last, &tail);
        if (n == 1) {
            last = first;
        }
        if ((n != 1 && n != 2) || first < 0 || last < first || last >= CPU_SETSIZE) {
            *error = "bad CPU list " + list;
            return false;
        }
        for (int cpu = first; cpu <= last; ++cpu) {
            CPU_SET(cpu, &set);
        }
    }
    if (CPU_COUNT(&set) == 0) {
        *error = "empty CPU list";
        return false;
    }
    if (sched_setaffinity(0, sizeof set, &set) != 0) {
        *error = "sched_setaffinity " + list + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool ParseBenchOptions(int argc, char** argv, BenchOptions* options, std::string* error) {
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (i + 1 >= argc) {
            *error = "missing value after " + name;
            return false;
        }
        const std::string value = argv[++i];
        if (name == "--coding") {
            options->coding = value;
            options->codingGiven = true;
        } else if (name == "--scene") {
            if (!ScenePlayer::Parse(value, &options->scene)) {
                *error = "unknown scene " + value;
                return false;
            }
        } else if (name == "--size") {
            int w = 0, h = 0;
            char tail = 0;
            if (std::sscanf(value.c_str(), "%dx%d%c", &w, &h, &tail) != 2 || w < 16 || h < 16 ||
                w > 8192 || h > 8192) {
                *error = "size must be WxH between 16 and 8192: " + value;
                return false;
            }
            options->width = w;
            options->height = h;
        } else if (name == "--seconds") {
            options->seconds = std::atoi(value.c_str());
            if (options->seconds < 1 || options->seconds > 3600) {
                *error = "seconds must be 1 to 3600";
                return false;
            }
        } else if (name == "--display") {
            options->display = value;
        } else if (name == "--receiver") {
            options->receiver = value;
        } else if (name == "--code") {
            options->code = value;
        } else if (name == "--crf") {
            char* end = nullptr;
            const long crf = std::strtol(value.c_str(), &end, 10);
            if (end == value.c_str() || *end != 0 || crf < 0 || crf > 51) {
                *error = "crf must be 0 to 51: " + value;
                return false;
            }
            options->crf = static_cast<int>(crf);
        } else if (name == "--sender-cpus") {
            options->senderCpus = value;
        } else if (name == "--out") {
            options->out = value;
        } else {
            *error = "unknown switch " + name;
            return false;
        }
    }
    return true;
}

}  // namespace bench
