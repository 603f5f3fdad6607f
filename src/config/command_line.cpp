#include "config/command_line.h"

#include <array>
#include <string_view>

namespace varkon {

namespace {

constexpr std::size_t kSeparators = 5;
constexpr std::size_t kFlagCount = 7;
constexpr std::string_view kMissingField = "e";

std::string FieldOrMissing(std::string_view field) {
    return field.empty() ? std::string(kMissingField) : std::string(field);
}

std::string OneMeansTrue(char flag) {
    return flag == '1' ? "true" : "fals";
}

std::string CodePrintFlag(char flag) {
    switch (flag) {
        case '0':
            return "fals";
        case '1':
            return "true N";
        case '2':
            return "true A";
        default:
            return {};
    }
}

// The six fields of an argument string. Only the first five separators split; later ones belong
// to the option field.
class Fields {
  public:
    explicit Fields(std::string_view text) : text_(text) {
        for (std::size_t i = 0; i < text.size() && found_ < kSeparators; ++i) {
            if (text[i] == ',' || text[i] == ' ') at_[found_++] = i;
        }
    }

    // A field exists only when both separators around it do; the first field has no separator
    // before it, the sixth none after it.
    std::optional<std::string_view> at(std::size_t index) const {
        const std::size_t needed = index < kSeparators ? index + 1 : kSeparators;
        if (found_ < needed) return std::nullopt;
        const std::size_t begin = index == 0 ? 0 : at_[index - 1] + 1;
        const std::size_t end = index == kSeparators ? text_.size() : at_[index];
        return text_.substr(begin, end - begin);
    }

  private:
    std::string_view text_;
    std::array<std::size_t, kSeparators> at_{};
    std::size_t found_ = 0;
};

}  // namespace

std::optional<std::string> OptionField(const std::string& arguments) {
    const std::optional<std::string_view> field = Fields(arguments).at(kSeparators);
    if (!field) return std::nullopt;
    return std::string(*field);
}

int ReadCommandLineSettings(const std::string& arguments, ParamSettings& settings) {
    const Fields fields(arguments);
    auto field = [&](std::size_t index) -> std::string {
        const std::optional<std::string_view> text = fields.at(index);
        return text ? FieldOrMissing(*text) : std::string(kMissingField);
    };

    ParamSettings read;
    read.autoStart = settings.autoStart;
    read.port = field(0);
    read.baud = field(1);
    read.file = field(2);
    read.delay = field(3);
    read.registerType = field(4);
    // The argument form always means one print file, and has no directory, converter or
    // Defacto link.
    read.multi = "fals";
    read.codeType = "true";

    std::string flags = field(5);
    int status = 0;
    if (flags.size() < kFlagCount) {
        status = -1;
    } else {
        read.printCode = CodePrintFlag(flags[0]);
        read.printDescription = OneMeansTrue(flags[1]);
        read.comment = OneMeansTrue(flags[2]);
        read.currency = std::string(1, flags[3]);
        read.keyboardOff = OneMeansTrue(flags[4]);
        read.directDepartments = OneMeansTrue(flags[5]);
        read.quantity = OneMeansTrue(flags[6]);
    }
    settings = std::move(read);
    return status;
}

}  // namespace varkon
