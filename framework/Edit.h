#pragma once
// TEdit: a one-line box of free text that the user types into. It takes the focus
// (Tab stops at it; entering it by the keyboard selects the whole text when
// AutoSelect is set), shows a caret and the selection, and handles:
//
//   characters          replace the selection (code points, stored as UTF-8)
//   Backspace, Delete   the selection, else the character before / after the caret
//   Left, Right         move the caret (Shift: extend the selection)
//   Home, End           to the start / end (Shift: extend the selection)
//   Ctrl+A              select all
//   Ctrl+C, Ctrl+Insert copy the selection to the platform's clipboard
//   Ctrl+X, Shift+Delete cut it
//   Ctrl+V, Shift+Insert paste (the clipboard's first line)
//   Up, Down            step the up-down control attached to the box (TUpDown)
//
// A click puts the caret at the nearest character boundary, a drag selects. ReadOnly
// keeps the text from the user (moving and copying still work); MaxLength, when not 0,
// is the most characters the user can bring in. Every change of the text fires
// OnChange (not while the form is read). The clipboard that cannot be had raises
// Exception "Impossible d'ouvrir le Presse-papiers".

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "framework/CustomControl.h"

namespace orvalis {

class TUpDown;

class TEdit : public TCustomControl {
    ORVALIS_TYPE_INFO(TEdit)

public:
    // 121 × 21, white, a tab stop.
    explicit TEdit(TComponent* owner);
    ~TEdit() override;

    std::int32_t MaxLength() const { return maxLength_; }
    void SetMaxLength(std::int32_t maxLength) { maxLength_ = maxLength; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool autoSelect) { autoSelect_ = autoSelect; }

    // The selection, in characters: where it starts and how long it is. The caret
    // stands at its end.
    std::int32_t SelStart() const;
    void SetSelStart(std::int32_t start);
    std::int32_t SelLength() const;
    void SetSelLength(std::int32_t length);
    String SelText() const;
    // Replaces the selection as typing would (MaxLength and ReadOnly are the user's limits,
    // not the program's: they do not apply here).
    void SetSelText(const String& text);
    void SelectAll();
    void ClearSelection();
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();

    TNotifyEvent OnChange;

    void WndProc(TMessage& message) override;
    // An entry (named by its label) with its text and caret; it takes a new text as a
    // paste over the whole text would, unless ReadOnly.
    bool DescribeAccessible(platform::AccessibleElement& element) override;
    void PerformAccessibleRequest(const platform::AccessibleRequest& request) override;

protected:
    void Paint() override;
    void KeyDown(std::uint16_t& key, TShiftState shift) override;
    void KeyPress(char32_t& key) override;
    void MouseDown(TMouseButton button, TShiftState shift, std::int32_t x, std::int32_t y) override;
    void MouseMove(TShiftState shift, std::int32_t x, std::int32_t y) override;
    void DoEnter() override;
    void TextChanged() override;
    void FontChanged() override;
    // OnChange.
    virtual void Change();

private:
    friend class TUpDown;

    // Replaces the bytes [from, to) of the text and puts the caret after the new ones.
    void Replace(std::size_t from, std::size_t to, std::string_view text);
    // What the user may bring in at the selection: `text` cut to its first line and to
    // MaxLength.
    std::string_view Admissible(std::string_view text) const;
    // Moves the caret to `position` (a byte offset); `extend` keeps the anchor.
    void MoveCaret(std::size_t position, bool extend);
    std::size_t SelectionFrom() const { return caret_ < anchor_ ? caret_ : anchor_; }
    std::size_t SelectionTo() const { return caret_ < anchor_ ? anchor_ : caret_; }
    // The character boundary nearest to `x` (client coordinates).
    std::size_t PositionAt(std::int32_t x);
    // Where the text starts horizontally, scrolled so that the caret shows.
    std::int32_t TextOrigin();
    // Where each character shows, for assistive tools, in the coordinates of `bounds`.
    const std::vector<platform::Rect>& CharacterPlaces(const platform::Rect& bounds);

    // The character places as last measured, with what they were measured from. The
    // description is asked for whenever the program waits (each blink of the caret), and
    // measuring takes a drawing context and the font: it is done again only when the
    // text, its scrolling, the box or the font changed.
    struct MeasuredPlaces {
        std::string text;
        std::size_t caret = 0;
        std::int32_t scroll = 0;
        platform::Rect bounds;
        platform::Size client;
        bool current = false;
        std::vector<platform::Rect> places;
    };
    MeasuredPlaces measuredPlaces_;

    std::int32_t maxLength_ = 0;
    bool readOnly_ = false;
    bool autoSelect_ = true;
    std::size_t caret_ = 0;    // byte offsets into the text, on character boundaries
    std::size_t anchor_ = 0;   // the other end of the selection
    std::int32_t scroll_ = 0;  // pixels of text scrolled out on the left
    bool keepCaret_ = false;   // a change of the user's own: the caret is placed already
    bool mouseFocusing_ = false;
    TUpDown* upDown_ = nullptr;  // the up-down control attached to the box
};

}  // namespace orvalis
