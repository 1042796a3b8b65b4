#pragma once
// The 26 field texts that the refreshes write, and the rule that binds them to
// the inputs: writing a text that differs from the field's current text runs
// that field's change handler before the write returns; writing the identical
// text does nothing.  The window implements FieldTexts with its edit fields;
// HeadlessFields implements it for programs and tests without a window.

#include <array>
#include <functional>
#include <string>
#include <string_view>

namespace valdenta {

inline constexpr int kFieldCount = 26;  ///< edit fields Edit1 ... Edit26

class FieldTexts {
public:
    virtual ~FieldTexts() = default;
    /// Writes the text of edit field `edit` (1 ... 26) under the rule above.
    /// An error thrown by the change handler propagates out of this call.
    virtual void writeText(int edit, const std::string& text) = 0;
    /// The current text of edit field `edit`.
    virtual std::string text(int edit) const = 0;
};

/// Field texts kept in memory.  `onChange(edit, text)` is the change handler,
/// run for input and output fields alike (the handler ignores output fields).
class HeadlessFields : public FieldTexts {
public:
    using ChangeHandler = std::function<void(int edit, std::string_view text)>;

    void setChangeHandler(ChangeHandler handler) { onChange_ = std::move(handler); }
    void writeText(int edit, const std::string& text) override;
    std::string text(int edit) const override;
    /// A user's edit: the same rule as writeText (typing, deleting, pasting).
    void type(int edit, const std::string& text) { writeText(edit, text); }

private:
    std::array<std::string, kFieldCount + 1> texts_{};
    ChangeHandler onChange_;
};

}  // namespace valdenta
