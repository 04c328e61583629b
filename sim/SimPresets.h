// The ready-made systems a technician can pick by name.
#pragma once

#include <string>
#include <vector>

namespace brelko {

struct SimPreset {
    std::string name;        // as given on the command line: "tz410-3.2.E"
    std::string product;     // first word of the version line
    std::string model;       // second word of the version line
    std::string version;     // "major.minor.letter"
    std::string description;
    bool answersVersion = true;  // false: refuses "GET VERSION" and "VERSION" alike
};

const std::vector<SimPreset>& SimPresets();
// Exact name first, then ignoring letter case; nullptr when none matches.
const SimPreset* FindSimPreset(const std::string& name);

}  // namespace brelko
