// Games written in vrc's language, compiled by the real vrc and run by the
// real engine, headless: what tests of whole scripts need.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "support/lines.h"

namespace vr::test {

struct GameRun {
    int compileExit = -1;
    std::string compileOutput;
    int exitCode = -1;
    std::string output;               // the transcript and anything printed
    std::map<uint32_t, std::string> variables;  // number -> the dump's "type = values" text

    // The values part of a variable's line ("42", "\"a\", \"b\"").
    std::string value(uint32_t number) const;
    bool reported(const std::string& utf8Fragment) const { return output.find(utf8Fragment) != std::string::npos; }
    // A whole line the headless platform recorded ("cursor shape 11").
    testing::AssertionResult transcribed(const std::string& line) const { return hasLine(output, "headless: " + line); }
    bool anyError() const { return output.find("error dialog") != std::string::npos; }
};

// `resources`: a folder whose files are copied into the game folder, where
// the resource loader finds them as loose files.
GameRun runGame(const std::string& source, int frames, const std::vector<std::string>& extraArguments = {},
                const std::string& resources = {});

}  // namespace vr::test
