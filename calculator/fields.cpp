#include "fields.h"

#include <stdexcept>

namespace valdenta {

namespace {
void checkEdit(int edit) {
    if (edit < 1 || edit > kFieldCount) throw std::out_of_range("no such edit field");
}
}  // namespace

void HeadlessFields::writeText(int edit, const std::string& text) {
    checkEdit(edit);
    if (texts_[edit] == text) return;
    texts_[edit] = text;
    if (onChange_) onChange_(edit, text);
}

std::string HeadlessFields::text(int edit) const {
    checkEdit(edit);
    return texts_[edit];
}

}  // namespace valdenta
