#include "engine/output_names.h"

#include "common/text.h"

const char* const kFolderFullMessage =
    "Папка Варбо заполнена    \nи содержит более 25000 файлов.    \nВы можете её переименовать\n"
    "или поместить в другое место.     ";

std::string FiveDigits(int number)
{
    return Format("%05d", number);
}

std::string NumberedOutputName(int size, int number)
{
    return Format("varbo_%d_%s.jpg", size, FiveDigits(number).c_str());
}

std::string BaseNameOf(std::string_view path)
{
    size_t slash = path.find_last_of("\\/");
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    size_t dot = name.rfind('.');
    if (dot != std::string_view::npos) name = name.substr(0, dot);
    return Utf8Prefix(name, 511);
}

std::string KeptOutputName(int size, std::string_view sourcePath)
{
    return Format("v%d_", size) + BaseNameOf(sourcePath) + ".jpg";
}

NameChoice ChooseNumberedName(int size, const std::function<bool(const std::string& name)>& taken, int first)
{
    for (int i = first < 1 ? 1 : first;; ++i) {
        if (i >= kFolderModeLimit) return {{}, JobStop::FolderFull};
        std::string name = NumberedOutputName(size, i);
        if (!taken(name)) return {name, JobStop::None, i};
    }
}

Size2 OutputSize(int width, int height, int size, bool keepSize)
{
    if (keepSize) return {width, height};
    const long long s = size;
    Size2 out;
    if (width > height) {
        out.width = size;
        out.height = static_cast<int>(height * s / width);
    } else {
        out.height = size;
        out.width = static_cast<int>(width * s / height);
    }
    // An extremely long, thin picture still gets a row or column of pixels.
    if (out.width < 1) out.width = 1;
    if (out.height < 1) out.height = 1;
    return out;
}
