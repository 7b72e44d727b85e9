#include "poly/geometry.h"

#include <chrono>
#include <memory>

#include "poly/dihedrals.h"
#include "poly/faces.h"
#include "poly/ideal.h"
#include "poly/opposing.h"
#include "poly/poly_messages.h"
#include "poly/primitives.h"
#include "poly/volumes.h"

namespace kevo {

bool Bonds1Click(Model& m, MessageSink& msg, int ca) {
    if (!m.Calculated) {
        msg.Show(GeometryNeedsCalculationMessage);
        return false;
    }
    const auto start = std::chrono::steady_clock::now();
    m.ShowingPolGeom = true;
    PolyWork w;
    const int side = ca == 1 ? 1 : 2;

    InitializeFaces(m);
    GetVolume(m, msg, w, side);
    if (w.TMFaces) {
        m.ShowingPolGeom = false;
        return false;
    }
    GetCentroids(m, msg, w, side);
    GetIdealPolyhedra(m, side);
    GetDihedrals(m, w, side);
    if (side == 1) {
        if (m.CalcOppBonds) GetOpposingBonds(m, msg);
        if (m.Calc32Averages) Get123_45Averages(m);
    }
    m.timeelapsed3 =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return true;
}

} // namespace kevo
