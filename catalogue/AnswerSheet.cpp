#include "catalogue/AnswerSheet.h"

#include "memtable/TqvrMemTable.h"

#include <sys/stat.h>

#include <exception>

namespace zenor {

std::string CurrentWorkFolder(const TqvrMemTable& tblWork) {
    // "PathWork" finds `pathWork`: field names are matched without case.
    return tblWork.FieldNamed("PathWork").StringValue();
}

std::string AnswerSheetPath(const TqvrMemTable& tblWork) {
    return CurrentWorkFolder(tblWork) + tblWork.FieldNamed("ID").StringValue() + "_0.ans";
}

bool FileExists(const std::string& path) {
    // An empty path or one with a NUL byte names no file; cut at the NUL it
    // would name another one.
    if (path.empty() || path.find('\0') != std::string::npos) return false;
    // Only a regular file can be a sheet or a recording: a FIFO or a device
    // of that name could block the reader or never end.
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string MissingSheetMessage(std::string_view path) {
    return "Файл " + std::string(path) + " с ответами участника не найден: ";
}

std::optional<std::string> LoadAnswerSheet(const TqvrMemTable& tblWork, TqvrMemTable& answers,
                                           TqvrCustomStreamFormat& format) {
    const std::string path = AnswerSheetPath(tblWork);
    if (FileExists(path)) {
        answers.LoadFromFileUsingFormat(path, &format);
        return std::nullopt;
    }
    answers.Close();
    return MissingSheetMessage(path);
}

void ReadSheetValues(const TqvrMemTable& answers, std::string& varNo,
                     std::array<std::string, 6>& values,
                     const std::function<void(const char* field, const char* error)>& missing) {
    static const char* const names[7] = {"VarNo", "a1", "a2", "a3", "a4", "a5", "a6"};
    std::string* const targets[7] = {&varNo,     &values[0], &values[1], &values[2],
                                     &values[3], &values[4], &values[5]};
    for (int i = 0; i < 7; ++i) {
        try {
            *targets[i] = answers.FieldNamed(names[i]).StringValue();
        } catch (const std::exception& error) {
            missing(names[i], error.what());
        }
    }
}

} // namespace zenor
