#include "output/picture_kind.h"

#include <algorithm>

#include "common/text.h"

namespace suantiji {

namespace {

bool endsWithIgnoringCase(std::string_view text, std::string_view ending) {
    if (text.size() < ending.size()) return false;
    return EqualsIgnoringCase(text.substr(text.size() - ending.size()), ending);
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
