# Writes a C++ source holding the compiled catalogues' bytes (cmake -P).
function(bytes_of file out)
    file(READ ${file} hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," hex "${hex}")
    string(REGEX REPLACE "((0x..,){24})" "\\1\n" hex "${hex}")
    set(${out} "${hex}" PARENT_SCOPE)
endfunction()

bytes_of(${CHINESE} chinese)
bytes_of(${ENGLISH} english)
file(WRITE ${OUTPUT}.new "// Made by cmake/EmbedCatalogues.cmake from the compiled catalogues.
#include \"model/compiled_catalogues.h\"

namespace corvane {

namespace {
const unsigned char kChinese[] = {
${chinese}
};
const unsigned char kEnglish[] = {
${english}
};
}  // namespace

std::span<const unsigned char> compiledCatalogue(Language language) {
    if (language == Language::english) return kEnglish;
    return kChinese;
}

}  // namespace corvane
")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
