#pragma once
// Dragging and docking, as far as a control publishes them: how a drag starts
// (DragMode), what it is (DragKind), and the events of both sides of a drag or a dock.
// This platform has no drag-and-drop nor docking between controls: the properties are
// kept and written back, and the events are bound from form resources, but no drag
// starts and none of these events fires (docs/controls.md).

#include <cstdint>
#include <string_view>

#include "classes/Events.h"
#include "classes/TypeInfo.h"

namespace orvalis {

// The object that a drag (a dock) carries; never made on this platform.
class TDragObject;
class TDragDockObject;

enum TDragMode : std::uint8_t { dmManual, dmAutomatic, kDragModeCount };
inline constexpr std::string_view kDragModeNames[] = {"dmManual", "dmAutomatic"};
inline constexpr TTypeInfo kDragModeType = EnumerationType<kDragModeCount>("TDragMode", kDragModeNames);
inline const TTypeInfo& DescribeType(TypeTag<TDragMode>) { return kDragModeType; }

enum TDragKind : std::uint8_t { dkDrag, dkDock, kDragKindCount };
inline constexpr std::string_view kDragKindNames[] = {"dkDrag", "dkDock"};
inline constexpr TTypeInfo kDragKindType = EnumerationType<kDragKindCount>("TDragKind", kDragKindNames);
inline const TTypeInfo& DescribeType(TypeTag<TDragKind>) { return kDragKindType; }

enum TDragState : std::uint8_t { dsDragEnter, dsDragLeave, dsDragMove };

// Something was dropped on the control (Source: what was dragged).
using TDragDropEvent = TEvent<void(TObject* Sender, TObject* Source, std::int32_t X, std::int32_t Y)>;
// Something is dragged over the control, which tells whether it would accept it.
using TDragOverEvent =
    TEvent<void(TObject* Sender, TObject* Source, std::int32_t X, std::int32_t Y, TDragState State, bool& Accept)>;
// A drag (a dock) of the control ended, on Target or on nothing. It has the signature of
// TDragDropEvent, whose type description it shares (handlers are matched by signature).
using TEndDragEvent = TEvent<void(TObject* Sender, TObject* Target, std::int32_t X, std::int32_t Y)>;
// A dock (a drag) of the control starts; the handler may give the object it carries.
using TStartDockEvent = TEvent<void(TObject* Sender, TDragDockObject*& DragObject)>;
using TStartDragEvent = TEvent<void(TObject* Sender, TDragObject*& DragObject)>;

template <>
inline constexpr std::string_view kEventTypeName<void(TObject*, TObject*, std::int32_t, std::int32_t)> =
    "TDragDropEvent";
template <>
inline constexpr std::string_view
    kEventTypeName<void(TObject*, TObject*, std::int32_t, std::int32_t, TDragState, bool&)> = "TDragOverEvent";
template <>
inline constexpr std::string_view kEventTypeName<void(TObject*, TDragDockObject*&)> = "TStartDockEvent";
template <>
inline constexpr std::string_view kEventTypeName<void(TObject*, TDragObject*&)> = "TStartDragEvent";

}  // namespace orvalis
