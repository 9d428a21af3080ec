#pragma once
// Running the swfrun tool on movie files in the current folder: its exit status and both output
// streams.
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "tools/swfwriter/bit_writer.h"

namespace swfruntest {

inline void write_file(const std::string& name, const swf::Bytes& data) {
    std::ofstream(name, std::ios::binary).write(reinterpret_cast<const char*>(data.data()),
                                                static_cast<std::streamsize>(data.size()));
}

inline std::string read_file(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

struct run_result {
    int status;
    std::string out;
    std::string err;
};

inline run_result run(const std::string& args) {
    const std::string command = std::string(SWFRUN) + " " + args + " >out.txt 2>err.txt";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, read_file("out.txt"), read_file("err.txt")};
}

}  // namespace swfruntest
