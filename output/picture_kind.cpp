#include "output/picture_kind.h"

#include <algorithm>

namespace suantiji {

namespace {

bool endsWithIgnoringCase(std::string_view text, std::string_view ending) {
    if (text.size() < ending.size()) return false;
    return std::equal(ending.begin(), ending.end(), text.end() - ending.size(),
                      [](char want, char have) {
                          // ASCII letters only: a byte of a Chinese name is never folded.
                          if (have >= 'A' && have <= 'Z')
                              have = static_cast<char>(have - 'A' + 'a');
                          return want == have;
                      });
}

}  // namespace

PictureKind PictureKindOf(std::string_view path) {
    if (endsWithIgnoringCase(path, ".png")) return PictureKind::Png;
    if (endsWithIgnoringCase(path, ".pdf")) return PictureKind::Pdf;
    return PictureKind::Bmp;
}

std::vector<std::string> PictureFilters() {
    return {"*.bmp", "PNG 图片 (*.png)", "PDF 文档 (*.pdf)"};
}

}  // namespace suantiji
