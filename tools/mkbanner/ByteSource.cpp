#include "ByteSource.h"

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace lexfall::banner {
namespace {

void WriteArray(std::ostream& out, const std::string& name, const Bytes& bytes) {
    static const char kHex[] = "0123456789abcdef";
    out << "alignas(16) const unsigned char " << name << "[] = {";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        out << (i % 16 == 0 ? "\n    " : " ") << "0x" << kHex[bytes[i] >> 4] << kHex[bytes[i] & 15]
            << ',';
    }
    out << "\n};\n\n";
}

} // namespace

void WriteArtworkSource(const std::filesystem::path& file, const Bytes& bannerJpeg,
                        const std::vector<std::pair<int, Bytes>>& icons) {
    std::ostringstream out;
    out << "// Written by mkbanner at build time: the banner and the program icon. Do not edit.\n"
        << "#include \"app/Artwork.h\"\n\n#include <array>\n\n"
        << "namespace lexfall::artwork {\nnamespace {\n\n";
    WriteArray(out, "kBanner", bannerJpeg);
    for (const auto& [size, png] : icons)
        WriteArray(out, "kIcon" + std::to_string(size), png);

    out << "const std::array<IconPng, " << icons.size() << "> kIcons{{\n";
    for (const auto& [size, png] : icons)
        out << "    {" << size << ", {kIcon" << size << ", sizeof kIcon" << size << "}},\n";
    out << "}};\n\n} // namespace\n\n"
        << "Blob BannerJpeg() { return {kBanner, sizeof kBanner}; }\n\n"
        << "std::span<const IconPng> IconPngs() { return kIcons; }\n\n"
        << "} // namespace lexfall::artwork\n";

    std::ofstream stream(file, std::ios::binary | std::ios::trunc);
    stream << out.str();
    if (!stream.flush())
        throw std::runtime_error("cannot write " + file.string());
}

} // namespace lexfall::banner
