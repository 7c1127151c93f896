#include "review/MisnamedFile.h"

#include "catalogue/ParticipantName.h"

#include <algorithm>
#include <string>

bool LooksLikeMisnamedParticipantFile(std::string_view name) {
    if (zenor::IsParticipantFileName(name)) return false;
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    for (const char* ending : {"_0.ans", "_0.ogg", "_2.ogg", "_3.ogg"})
        if (lower.find(ending) != std::string::npos) return true;
    return lower.ends_with(".ogg") || lower.ends_with(".ans");
}
