// The curtain rule shared by the engine, the launch checks and the study command.
//
// The curtain hangs in the plane x = 20 cm from 20 cm below the focus. Its
// length L is measured from the object's exit surface (z = thickness) up to
// the curtain's lower edge: the curtain covers z <= thickness - L. The edge
// can rise no higher than the curtain's top, so L is at most
// FSD - 20 cm + thickness; a curtain exactly that long is accepted.
#pragma once

namespace korvana {

//! The plane x [cm] the curtain hangs in.
inline constexpr double CURTAIN_PLANE_X_CM = 20.0;

//! The gap [cm] between the focus and the curtain's top.
inline constexpr double CURTAIN_TOP_BELOW_FOCUS_CM = 20.0;

//! The longest curtain [cm] a scene with this focus-to-surface distance and
//! object thickness [cm] can hold.
constexpr double longestCurtainCm(double focusSurfaceCm, double phantomThicknessCm) {
    return focusSurfaceCm - CURTAIN_TOP_BELOW_FOCUS_CM + phantomThicknessCm;
}

//! z [cm] of the curtain's lower edge: it covers every z at or above the focus side of it.
template <class Real>
constexpr Real curtainEdgeZ(Real phantomThicknessCm, Real curtainLengthCm) {
    return phantomThicknessCm - curtainLengthCm;
}

}  // namespace korvana
