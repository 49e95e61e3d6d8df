#pragma once

#include <string>

// An entity of the model and what a conversion made of it in the output: "face", "untrimmed face", "face of
// shell T1", "surface of FACE F1", "edge of FACE F1", "3-D curve of CONS N1", "edge", "vertex", "vertices",
// "vertices (vectors not carried)", "assembly", "located instances", "placement of TLIST L1", ...
struct vdcConvertedEntity {
    std::string entity;
    std::string type;  // its command word
    int line = 0;      // first line of its statement; 0 for an entity built in code
    std::string as;
};
