#include "text/FontStyle.h"

#include <cstdlib>

namespace plix {

int64_t styleDistance(const FontStyle& want, const FontStyle& have) {
    const int64_t width = std::abs(want.width - have.width);
    // Italic accepts oblique before upright, and the other way round.
    int64_t slant = 0;
    if (want.slant != have.slant) slant = (want.slant == FontSlant::Upright || have.slant == FontSlant::Upright) ? 2 : 1;
    int64_t weight = std::abs(want.weight - have.weight);
    // Lighter wanted: lighter faces first; bolder wanted: bolder first.
    if ((want.weight < 400 && have.weight > want.weight) || (want.weight > 500 && have.weight < want.weight))
        weight += 1000;
    return width * 100000 + slant * 10000 + weight;
}

}  // namespace plix
