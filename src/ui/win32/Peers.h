#pragma once
// Inside the Windows backend: the peers of the control kinds, one maker each. A maker takes a
// control of exactly its model type (MakePeer looks it up by the control's type).
#include <memory>

#include "ui/win32/NativeWindows.h"

namespace win32ui {

using PeerMaker = std::unique_ptr<NativeControl> (*)(FormWindow&, ui::Control&);

// ButtonPeers.cpp
std::unique_ptr<NativeControl> MakeButtonPeer(FormWindow& form, ui::Control& control);
std::unique_ptr<NativeControl> MakeRadioPeer(FormWindow& form, ui::Control& control);
std::unique_ptr<NativeControl> MakeGroupPeer(FormWindow& form, ui::Control& control);
// TextPeers.cpp
std::unique_ptr<NativeControl> MakeLabelPeer(FormWindow& form, ui::Control& control);
std::unique_ptr<NativeControl> MakeMaskEditPeer(FormWindow& form, ui::Control& control);
std::unique_ptr<NativeControl> MakeMemoPeer(FormWindow& form, ui::Control& control);
// ListPeers.cpp
std::unique_ptr<NativeControl> MakeComboPeer(FormWindow& form, ui::Control& control);
std::unique_ptr<NativeControl> MakeCheckListPeer(FormWindow& form, ui::Control& control);
// BarPeers.cpp
std::unique_ptr<NativeControl> MakeProgressPeer(FormWindow& form, ui::Control& control);
std::unique_ptr<NativeControl> MakeStatusPeer(FormWindow& form, ui::Control& control);
// ContainerPeers.cpp: pictures, pages, sheets and panels (any other control that holds others)
std::unique_ptr<NativeControl> MakeImagePeer(FormWindow& form, ui::Control& control);
std::unique_ptr<NativeControl> MakePagesPeer(FormWindow& form, ui::Control& control);
std::unique_ptr<NativeControl> MakeSheetPeer(FormWindow& form, ui::Control& control);
std::unique_ptr<NativeControl> MakePanelPeer(FormWindow& form, ui::Control& control);

// The maker of a peer type for its model type.
template <class Peer, class Model>
std::unique_ptr<NativeControl> MakeFor(FormWindow& form, ui::Control& control) {
    return std::make_unique<Peer>(form, static_cast<Model&>(control));
}

inline COLORREF ToColorRef(std::uint32_t rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

} // namespace win32ui
