#pragma once
// TRadioGroup: a framed group of choices, one of which is chosen. The frame carries
// the Caption; the Items (one text each) are laid out top to bottom in Columns columns,
// each with its round button, the chosen one dotted. ItemIndex is the chosen item (-1:
// none).
//
// The user chooses with a click on an item (press and release on the same item), with
// the arrow keys while the group has the focus (Up and Left the previous item, Down
// and Right the next, going round at the ends), or with an item's accelerator. A
// choice of the user that changes ItemIndex fires OnClick.
//
// Items are a string list of the group's own (a resource writes them as Items.Strings).
// While the form is read ItemIndex is kept as read (the items may come after it); then
// it is kept within the items.

#include <cstdint>
#include <memory>

#include "classes/Strings.h"
#include "framework/CustomControl.h"

namespace orvalis {

class TRadioGroup : public TCustomControl {
    ORVALIS_TYPE_INFO(TRadioGroup)

public:
    // 185 × 105, no item, one column, a tab stop.
    explicit TRadioGroup(TComponent* owner);
    ~TRadioGroup() override;

    TStrings* Items() const { return items_.get(); }
    // Copies `items`.
    void SetItems(TStrings* items);
    std::int32_t ItemIndex() const { return itemIndex_; }
    // -1 or an item; values out of range are brought to the nearest.
    void SetItemIndex(std::int32_t index);
    std::int32_t Columns() const { return columns_; }
    // At least 1.
    void SetColumns(std::int32_t columns);
    // Where item `index` lies in the client area (its button and text).
    TRect ItemRect(std::int32_t index);

    void WndProc(TMessage& message) override;
    void LoadingFinished() override;
    // A panel named by the Caption, holding one radio button per item (the part of the
    // element is the item's index); an item's action "click" chooses it as a click does.
    bool DescribeAccessible(platform::AccessibleElement& element) override;
    void PerformAccessibleRequest(const platform::AccessibleRequest& request) override;

protected:
    void Paint() override;
    void KeyDown(std::uint16_t& key, TShiftState shift) override;
    void MouseDown(TMouseButton button, TShiftState shift, std::int32_t x, std::int32_t y) override;
    void MouseUp(TMouseButton button, TShiftState shift, std::int32_t x, std::int32_t y) override;

private:
    // The user's choice: ItemIndex, then OnClick when it changed.
    void Choose(std::int32_t index);
    // The item at a point of the client area, or -1.
    std::int32_t ItemAt(std::int32_t x, std::int32_t y);
    void ItemsChanged(TObject* sender);
    // The height of a line of text in the group's font.
    std::int32_t LineHeight();

    std::unique_ptr<TStringList> items_;
    std::int32_t itemIndex_ = -1;
    std::int32_t columns_ = 1;
    std::int32_t pressedItem_ = -1;  // the item the left button went down on
};

}  // namespace orvalis
