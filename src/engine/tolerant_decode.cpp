// The tolerant decoder: for stereograms whose repeats are no longer exact
// (JPEG files, colour textures, smoothed pictures). A point's separation is
// chosen by semi-global matching: every point has a cost for every
// candidate separation, the differences between the point's window and the
// window that far to its right; the costs are carried along four
// directions (both ways along the rows and across them), where a step of
// one separation between neighbours costs a little and a larger jump
// more, and each point takes the separation of least total. A point whose
// partner was overwritten (an occlusion) matches nowhere: the check from
// the right finds it, and it takes the larger separation of the points
// beside it. Separations become levels as in the exact decoder.
//
// Costs are 16 bits a candidate. The rows go in fixed bands, each worked
// out with a few rows above and below it (the halo) for the direction
// across the rows, so that a band's result depends on nothing another
// thread does, and memory stays a few rows of costs a thread. With many
// levels the candidates are matched in groups of neighbouring separations:
// a group costs what its best member does, the directions choose among the
// groups, and each point takes its group's best member.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "engine/cost_lanes.h"
#include "engine/engine.h"
#include "engine/tolerant_levels.h"
#include "picture/parallel_rows.h"
#include "texts/user_texts.h"

namespace {

// A point's cost sums its differences over a window of 3 x 3 pixels.
constexpr int32_t WindowRadiusX = 1;
constexpr int32_t WindowRadiusY = 1;
constexpr int32_t WindowRows = 2 * WindowRadiusY + 1;
constexpr int32_t WindowArea = (2 * WindowRadiusX + 1) * WindowRows;
// A pixel's difference (the average over a colour pixel's channels) counts
// up to this much, so that a pixel that matches nothing (JPEG's ringing
// beside an edge, the far side of an occlusion) weighs no more than any
// other mismatch.
constexpr int16_t DifferenceCap = 48;
// A candidate whose partner lies past the row's end: between a match and a
// mismatch, so that a point that still has its partner in the row keeps it,
// and the points of the last strip, which have none, follow their
// neighbours.
constexpr int16_t OutsideDifference = 24;
// The lanes past the last candidate (there is always at least one): dear
// enough never to be chosen, as a step from them or to them, and cheap
// enough that the directions' sums of them still fit 16 bits.
constexpr int16_t PadDifference = 300;
constexpr int16_t PadCost = static_cast<int16_t>(WindowArea * PadDifference);
// Penalties between neighbouring points, in the units of a window's cost:
// a step of one candidate, and any larger jump.
constexpr int16_t StepPenalty = 30;
constexpr int16_t JumpPenalty = 300;
// Rows worked out together, and the rows above and below a band that the
// direction across the rows starts from.
constexpr int32_t BandRows = 32;
constexpr int32_t HaloRows = 2;
// Up to this many candidates are carried along the directions one by one;
// more go in groups of a vector's lanes (at most 33 groups for 257).
constexpr int32_t MostGroups = 33;
// A point matches clearly where its window costs at most 1 / ClearMatch of
// its average.
constexpr int64_t ClearMatch = 6;
// A margin between the best and the next best total cost of this much
// (or more) makes a point's certainty white.
constexpr int32_t SureMargin = 4 * JumpPenalty;

int32_t roundUp(int32_t value, int32_t unit) {
    return (value + unit - 1) / unit * unit;
}

// What one decoding goes by, fixed before its first band.
struct Matching {
    const Picture* stereogram;
    int32_t width;
    int32_t height;
    int32_t channels;
    int32_t stripWidth;
    int32_t levels;
    int32_t depthStep;
    // Candidate d is separation stripWidth + d, for d from 0 to levels;
    // their costs take fineLanes, whole vectors, and their differences
    // differenceLanes, whole blocks of 16 bytes.
    int32_t candidates;
    int32_t differenceLanes;
    int32_t fineLanes;
    // Group j holds candidates j * groupSize .. (j + 1) * groupSize - 1
    // (a group of one each, with few levels). Their costs take `lanes`,
    // whole vectors with at least one lane to spare: the lane that a
    // direction reads below a point's first is the point before's spare.
    int32_t groupSize;
    int32_t groups;
    int32_t lanes;
    // One colour plane of a row, with room past its end for the widest
    // candidate.
    size_t planeLength;
};

size_t fineRowSize(const Matching& m) {
    return static_cast<size_t>(m.width) * static_cast<size_t>(m.fineLanes);
}

size_t rowSize(const Matching& m) {
    return static_cast<size_t>(m.width) * static_cast<size_t>(m.lanes);
}

// A thread's working memory, in one block. Rows of costs hold a point's
// costs after another's; the costs that a direction reads one lane below
// and above its own have a guard vector of the highest cost on either side.
struct BandWork {
    uint8_t* planes;
    int16_t* pixelSums;    // one point's differences, differenceLanes wide
    int16_t* differences;  // the window's rows of differences, one per slot
    int16_t* columnSums;   // their sums, point by point
    int16_t* windowSums;   // the running sum of one point's window
    int16_t* windowCosts;  // the costs of the band's rows and its halo
    uint8_t* offsets;      // with groups: each group's best member, for the band's rows
    int16_t* zeros;        // a point's costs where a direction starts
    int16_t* along[2];     // along the row: the point before, this point
    int16_t* across[2];    // across the rows: the row before, this row
    int16_t* acrossLeast[2];
    int16_t* totals;       // the summed costs of the band's rows
    int16_t* best;
    int16_t* margin;
    int16_t* bestTotal;    // each point's least total
    int16_t* claimed;      // for each partner, the least total of the points that chose it
    uint8_t* partnered;
};

size_t wholeBlocks(size_t bytes) {
    return (bytes + 15) / 16 * 16;
}

constexpr size_t GuardBytes = CostLanes * sizeof(int16_t);

// Hands out the pieces of a block in order; with no block, only counts.
struct Pieces {
    uint8_t* block;
    size_t used = 0;

    uint8_t* take(size_t bytes) {
        uint8_t* piece = block != nullptr ? block + used : nullptr;
        used += wholeBlocks(bytes);
        return piece;
    }
    int16_t* costs(size_t count) { return reinterpret_cast<int16_t*>(take(count * sizeof(int16_t))); }
    // Costs with a guard vector on either side.
    int16_t* guarded(size_t count) {
        int16_t* costs = reinterpret_cast<int16_t*>(take(count * sizeof(int16_t) + 2 * GuardBytes));
        if (costs == nullptr) return nullptr;
        std::fill(costs, costs + CostLanes, MostCost);
        std::fill(costs + CostLanes + count, costs + 2 * CostLanes + count, MostCost);
        return costs + CostLanes;
    }
};

// Lays a thread's work out in `block`, or with a null block, only sizes it.
BandWork layOut(const Matching& m, uint8_t* block, size_t& size) {
    Pieces p{block};
    const size_t width = static_cast<size_t>(m.width);
    const size_t point = static_cast<size_t>(m.lanes);
    BandWork w;
    w.planes = p.take(m.planeLength * static_cast<size_t>(m.channels));
    w.pixelSums = p.costs(static_cast<size_t>(m.differenceLanes));
    w.differences = p.costs(fineRowSize(m) * WindowRows);
    w.columnSums = p.costs(fineRowSize(m));
    w.windowSums = p.costs(static_cast<size_t>(m.fineLanes));
    w.windowCosts = p.costs(rowSize(m) * (BandRows + 2 * HaloRows));
    w.offsets = m.groupSize > 1 ? p.take(rowSize(m) * BandRows) : nullptr;
    w.zeros = p.guarded(point);
    if (w.zeros != nullptr) std::fill(w.zeros, w.zeros + point, int16_t{0});
    for (int16_t*& costs : w.along) costs = p.guarded(point);
    for (int16_t*& row : w.across) row = p.guarded(rowSize(m));
    for (int16_t*& row : w.acrossLeast) row = p.costs(width);
    w.totals = p.costs(rowSize(m) * BandRows);
    for (int16_t** row : {&w.best, &w.margin, &w.bestTotal, &w.claimed}) *row = p.costs(width);
    w.partnered = p.take(width);
    size = p.used;
    return w;
}

size_t workSizeOf(const Matching& m) {
    size_t size = 0;
    layOut(m, nullptr, size);
    return size;
}

// --- The cost of every candidate

// Row y's channels as planes, each followed by room that the widest
// candidate may read (what it reads there is replaced by the outside cost).
void loadPlanes(const Matching& m, int32_t y, uint8_t* planes) {
    const uint8_t* row = rowOf(*m.stereogram, y);
    for (int32_t c = 0; c < m.channels; ++c) {
        uint8_t* plane = planes + m.planeLength * static_cast<size_t>(c);
        for (int32_t x = 0; x < m.width; ++x) plane[x] = row[static_cast<size_t>(x) * m.channels + c];
        std::memset(plane + m.width, 0, m.planeLength - static_cast<size_t>(m.width));
    }
}

// Every point's difference from the point each candidate separation to its
// right, into `out`: the average over the channels, up to the cap.
void rowDifferences(const Matching& m, const BandWork& w, int32_t y, int16_t* out) {
    loadPlanes(m, y, w.planes);
    const int32_t vectors = m.fineLanes / CostLanes;
    const bool colour = m.channels == ColourChannels;
    const CostVector cap = splatCost(static_cast<int16_t>(colour ? 3 * DifferenceCap : DifferenceCap));
    for (int32_t x = 0; x < m.width; ++x) {
        for (int32_t c = 0; c < m.channels; ++c) {
            const uint8_t* plane = w.planes + m.planeLength * static_cast<size_t>(c);
            const uint8_t* partners = plane + x + m.stripWidth;
            for (int32_t k = 0; k < m.differenceLanes; k += BlockLanes)
                byteDifferences(partners + k, plane[x], w.pixelSums + k, c > 0);
        }
        // Candidates from `inside` on would find their partner past the row.
        const int32_t inside = std::min(m.width - x - m.stripWidth, m.candidates);
        int16_t* point = out + static_cast<size_t>(x) * m.fineLanes;
        for (int32_t k = 0; k < vectors; ++k) {
            const int32_t firstLane = CostLanes * k;
            CostVector costs = leastCosts(loadCosts(w.pixelSums + firstLane), cap);
            if (colour) costs = thirdOfCosts(costs);
            if (firstLane + CostLanes > inside)
                costs = replaceLanesBetween(costs, inside - firstLane, CostLanes - 1, OutsideDifference);
            if (firstLane + CostLanes > m.candidates)
                costs = replaceLanesBetween(costs, m.candidates - firstLane, CostLanes - 1, PadDifference);
            storeCosts(point + firstLane, costs);
        }
    }
}

// The window's rows are counted by position: position p is row p held to
// the picture, in slot p modulo WindowRows.
int16_t* slotOf(const Matching& m, const BandWork& w, int32_t position) {
    const int32_t slot = ((position % WindowRows) + WindowRows) % WindowRows;
    return w.differences + fineRowSize(m) * static_cast<size_t>(slot);
}

int32_t rowAt(const Matching& m, int32_t position) {
    return std::min(std::max(position, 0), m.height - 1);
}

void addRow(const Matching& m, int16_t* sums, const int16_t* row, bool subtract) {
    const size_t count = fineRowSize(m);
    for (size_t i = 0; i < count; i += CostLanes) {
        const CostVector a = loadCosts(sums + i);
        const CostVector b = loadCosts(row + i);
        storeCosts(sums + i, subtract ? subtractCosts(a, b) : addCosts(a, b));
    }
}

// The window's rows and their sums centred on row y.
void startWindow(const Matching& m, const BandWork& w, int32_t y) {
    std::memset(w.columnSums, 0, fineRowSize(m) * sizeof(int16_t));
    for (int32_t p = y - WindowRadiusY; p <= y + WindowRadiusY; ++p) {
        rowDifferences(m, w, rowAt(m, p), slotOf(m, w, p));
        addRow(m, w.columnSums, slotOf(m, w, p), false);
    }
}

// Moves the window centred on row y - 1 down to row y.
void moveWindowDown(const Matching& m, const BandWork& w, int32_t y) {
    int16_t* slot = slotOf(m, w, y - 1 - WindowRadiusY);
    addRow(m, w.columnSums, slot, true);
    rowDifferences(m, w, rowAt(m, y + WindowRadiusY), slot);
    addRow(m, w.columnSums, slot, false);
}

// A point's group costs from its window sums: each group's least member
// (the first on a tie), and which member that is. A group is a vector.
void groupCosts(const Matching& m, const int16_t* sums, int16_t* out, uint8_t* offsets) {
    const int32_t vectors = m.fineLanes / CostLanes;
    for (int32_t j = 0; j < m.lanes; ++j) {
        if (j >= vectors) {
            out[j] = PadCost;
            if (offsets != nullptr) offsets[j] = 0;
            continue;
        }
        const CostVector members = loadCosts(sums + CostLanes * j);
        out[j] = leastLane(members);
        if (offsets != nullptr) offsets[j] = static_cast<uint8_t>(firstLaneHolding(members, out[j]));
    }
}

// The costs of the row whose column sums are ready: each point's column
// sums from WindowRadiusX to its left to as far to its right, columns held
// to the picture, into `out` (a group of one each), or by groups (and
// `offsets`, when not null) through the running sums.
void windowCosts(const Matching& m, const BandWork& w, int16_t* out, uint8_t* offsets) {
    const int32_t vectors = m.fineLanes / CostLanes;
    const bool grouped = m.groupSize > 1;
    const auto column = [&m, &w](int32_t x, int32_t k) {
        const int32_t held = std::min(std::max(x, 0), m.width - 1);
        return loadCosts(w.columnSums + static_cast<size_t>(held) * m.fineLanes + CostLanes * k);
    };
    for (int32_t x = 0; x < m.width; ++x) {
        // Each point's sums follow from the point before's.
        int16_t* sums = grouped ? w.windowSums : out + static_cast<size_t>(x) * m.lanes;
        const int16_t* previous = grouped || x == 0 ? sums : sums - m.lanes;
        for (int32_t k = 0; k < vectors; ++k) {
            CostVector sum = splatCost(0);
            if (x == 0) {
                for (int32_t dx = -WindowRadiusX; dx <= WindowRadiusX; ++dx) sum = addCosts(sum, column(dx, k));
            } else {
                sum = subtractCosts(addCosts(loadCosts(previous + CostLanes * k), column(x + WindowRadiusX, k)),
                                    column(x - 1 - WindowRadiusX, k));
            }
            storeCosts(sums + CostLanes * k, sum);
        }
        if (grouped) {
            const size_t point = static_cast<size_t>(x) * m.lanes;
            groupCosts(m, sums, out + point, offsets != nullptr ? offsets + point : nullptr);
        }
    }
}

// --- Costs carried along the directions

// One direction at one point: the point's cost plus the least of the
// previous point's costs at the same candidate, at a neighbouring one with
// the step penalty and at any with the jump penalty (`jump` holds the
// previous least plus it), less the previous least (`floor`), so that the
// sums stay small. The neighbours are read one lane below and above.
inline CostVector nextCosts(CostVector own, const int16_t* previous, CostVector floor, CostVector jump,
                            CostVector step) {
    const CostVector neighbours = leastCosts(loadCosts(previous - 1), loadCosts(previous + 1));
    const CostVector cheapest = leastCosts(leastCosts(loadCosts(previous), addCosts(neighbours, step)), jump);
    return subtractCosts(addCosts(own, cheapest), floor);
}

// Where one direction's previous point is: its costs (zeros where the
// direction starts, which leaves the point its own costs) and their
// least; and where its costs at this point go.
struct DirectionStep {
    const int16_t* previous;
    int16_t previousLeast;
    int16_t* out;
};

// Each pass follows two directions: along the row and across the rows.
constexpr int32_t DirectionsPerPass = 2;

// One point of the directions of a pass. `leasts` takes the least of each
// direction's new costs; `total`, when not null, takes their sum, or has
// it added.
void followDirections(const int16_t* cost, const DirectionStep (&steps)[DirectionsPerPass], int32_t vectors,
                      int16_t (&leasts)[DirectionsPerPass], int16_t* total, bool adding) {
    const CostVector step = splatCost(StepPenalty);
    CostVector floor[DirectionsPerPass], jump[DirectionsPerPass], least[DirectionsPerPass];
    for (int32_t p = 0; p < DirectionsPerPass; ++p) {
        floor[p] = splatCost(steps[p].previousLeast);
        jump[p] = addCosts(floor[p], splatCost(JumpPenalty));
        least[p] = splatCost(MostCost);
    }
    for (int32_t k = 0; k < vectors; ++k) {
        const size_t at = static_cast<size_t>(CostLanes) * k;
        const CostVector own = loadCosts(cost + at);
        CostVector sum = adding ? loadCosts(total + at) : splatCost(0);
        for (int32_t p = 0; p < DirectionsPerPass; ++p) {
            const CostVector value = nextCosts(own, steps[p].previous + at, floor[p], jump[p], step);
            storeCosts(steps[p].out + at, value);
            least[p] = leastCosts(least[p], value);
            sum = addCosts(sum, value);
        }
        if (total != nullptr) storeCosts(total + at, sum);
    }
    for (int32_t p = 0; p < DirectionsPerPass; ++p) leasts[p] = leastLane(least[p]);
}

// One row of a pass. Down the rows (step 1) the row follows the directions
// from the left and from above; up the rows (step -1) their opposites.
// `first` says the row starts the direction across the rows; `total`, when
// not null, takes the directions' sum (the first pass writes it, the
// second adds).
void followRow(const Matching& m, BandWork& w, const int16_t* costs, int32_t step, bool first, int16_t* total) {
    const int32_t vectors = m.lanes / CostLanes;
    const size_t lanes = static_cast<size_t>(m.lanes);
    const int32_t xStart = step > 0 ? 0 : m.width - 1;
    int16_t leasts[DirectionsPerPass] = {};
    for (int32_t i = 0; i < m.width; ++i) {
        const int32_t x = xStart + step * i;
        const size_t point = static_cast<size_t>(x) * lanes;
        // Along the row the previous point is the one before in the pass;
        // across, the point in the row before.
        const DirectionStep steps[DirectionsPerPass] = {
            {i > 0 ? w.along[(i + 1) % 2] : w.zeros, leasts[0], w.along[i % 2]},
            {first ? w.zeros : w.across[0] + point, first ? int16_t{0} : w.acrossLeast[0][x], w.across[1] + point}};
        int16_t* pointTotal = total != nullptr ? total + point : nullptr;
        followDirections(costs + point, steps, vectors, leasts, pointTotal, pointTotal != nullptr && step < 0);
        w.acrossLeast[1][x] = leasts[1];
    }
    std::swap(w.across[0], w.across[1]);
    std::swap(w.acrossLeast[0], w.acrossLeast[1]);
}

// --- From the totals to depth

int32_t candidateOf(const Matching& m, const uint8_t* offsets, size_t point, int32_t group) {
    return group * m.groupSize + (offsets != nullptr ? offsets[point + static_cast<size_t>(group)] : 0);
}

// Each point's best group (the first on a tie), as a candidate; when
// `margins` is on, also its margin to the best of the groups that are not
// its neighbours (with three groups or fewer, of the others).
void chooseCandidates(const Matching& m, const BandWork& w, const int16_t* totals, const uint8_t* offsets,
                      bool margins) {
    const int32_t vectors = m.lanes / CostLanes;
    const int32_t reach = m.groups <= 3 ? 0 : 1;
    for (int32_t x = 0; x < m.width; ++x) {
        const size_t point = static_cast<size_t>(x) * m.lanes;
        const int16_t* costs = totals + point;
        CostVector least = splatCost(MostCost);
        for (int32_t k = 0; k < vectors; ++k) least = leastCosts(least, loadCosts(costs + CostLanes * k));
        const int16_t bestCost = leastLane(least);
        int32_t best = 0;
        for (int32_t k = 0; k < vectors; ++k) {
            const int32_t lane = firstLaneHolding(loadCosts(costs + CostLanes * k), bestCost);
            if (lane < CostLanes) {
                best = CostLanes * k + lane;
                break;
            }
        }
        w.best[x] = static_cast<int16_t>(candidateOf(m, offsets, point, best));
        w.bestTotal[x] = bestCost;
        if (!margins) continue;
        CostVector others = splatCost(MostCost);
        for (int32_t k = 0; k < vectors; ++k)
            others = leastCosts(others, replaceLanesBetween(loadCosts(costs + CostLanes * k), best - reach - CostLanes * k,
                                                            best + reach - CostLanes * k, MostCost));
        w.margin[x] = static_cast<int16_t>(leastLane(others) - bestCost);
    }
}

// Whether point x matches where it points clearly better than it matches
// on average: its window costs at most 1 / ClearMatch of the average over
// the groups whose partners lie in the row.
bool matchesClearly(const Matching& m, const BandWork& w, const int16_t* windowCosts, int32_t x) {
    const int16_t* costs = windowCosts + static_cast<size_t>(x) * m.lanes;
    const int32_t inside = std::min(m.width - x - m.stripWidth, m.candidates);
    const int32_t groups = (inside + m.groupSize - 1) / m.groupSize;
    int64_t sum = 0;
    for (int32_t j = 0; j < groups; ++j) sum += costs[j];
    return groups > 0 && int64_t{costs[w.best[x] / m.groupSize]} * ClearMatch * groups <= sum;
}

// Whether each point has a partner: whether, of the points that chose the
// same partner, it has the least total (the check from the right: in a
// stereogram copied from left to right, of two points copied to one place
// only the later one kept its copy), or else it matches clearly (another
// that chose its partner matches as well, as in a pattern whose own width
// is a separation). Points whose partner lies past the row cannot be
// checked and pass.
void findPartners(const Matching& m, const BandWork& w, const int16_t* windowCosts) {
    std::fill(w.claimed, w.claimed + m.width, MostCost);
    for (int32_t x = 0; x < m.width; ++x) {
        const int32_t t = x + m.stripWidth + w.best[x];
        if (t < m.width) w.claimed[t] = std::min(w.claimed[t], w.bestTotal[x]);
    }
    for (int32_t x = 0; x < m.width; ++x) {
        const int32_t t = x + m.stripWidth + w.best[x];
        w.partnered[x] = t >= m.width || w.bestTotal[x] <= w.claimed[t] || matchesClearly(m, w, windowCosts, x);
    }
}

// Points without a partner lie where a nearer surface to their right hid
// it, and take the larger separation of the partnered points on either
// side. Their margin becomes 0 (it is read only for the certainty).
void fillOcclusions(const Matching& m, const BandWork& w) {
    int32_t x = 0;
    while (x < m.width) {
        if (w.partnered[x]) {
            ++x;
            continue;
        }
        int32_t end = x;
        while (end < m.width && !w.partnered[end]) ++end;
        const int32_t left = x > 0 ? w.best[x - 1] : -1;
        const int32_t right = end < m.width ? w.best[end] : -1;
        const int32_t taken = std::max(left, right);
        for (int32_t i = x; i < end; ++i) {
            if (taken >= 0) w.best[i] = static_cast<int16_t>(taken);
            w.margin[i] = 0;
        }
        x = end;
    }
}

uint8_t certaintyOf(int32_t margin) {
    return static_cast<uint8_t>(std::min<int32_t>(255, margin * 255 / SureMargin));
}

void writeRow(const Matching& m, const BandWork& w, uint8_t* depthRow, uint8_t* certaintyRow) {
    for (int32_t x = 0; x < m.width; ++x) depthRow[x] = greyOfLevel(m.levels - w.best[x], m.depthStep);
    if (certaintyRow != nullptr)
        for (int32_t x = 0; x < m.width; ++x) certaintyRow[x] = certaintyOf(w.margin[x]);
}

// --- Bands

// Rows begin .. end - 1 into depth (and certainty): the first pass goes
// down from the halo above to the halo below, keeping each row's costs,
// the second back up, and each of the band's rows is finished once the
// second pass has added to it.
void decodeBand(const Matching& m, BandWork& w, int32_t begin, int32_t end, Picture& depth, Picture* certainty) {
    const int32_t top = std::max(0, begin - HaloRows);
    const int32_t bottom = std::min(m.height, end + HaloRows);
    const auto costsOf = [&m, &w, top](int32_t y) { return w.windowCosts + rowSize(m) * static_cast<size_t>(y - top); };
    const auto totalsOf = [&m, &w, begin](int32_t y) { return w.totals + rowSize(m) * static_cast<size_t>(y - begin); };
    const auto offsetsOf = [&m, &w, begin](int32_t y) {
        return w.offsets != nullptr ? w.offsets + rowSize(m) * static_cast<size_t>(y - begin) : nullptr;
    };
    startWindow(m, w, top);
    for (int32_t y = top; y < bottom; ++y) {
        const bool own = y >= begin && y < end;
        if (y > top) moveWindowDown(m, w, y);
        windowCosts(m, w, costsOf(y), own ? offsetsOf(y) : nullptr);
        followRow(m, w, costsOf(y), 1, y == top, own ? totalsOf(y) : nullptr);
    }
    for (int32_t y = bottom - 1; y >= top; --y) {
        const bool own = y >= begin && y < end;
        followRow(m, w, costsOf(y), -1, y == bottom - 1, own ? totalsOf(y) : nullptr);
        if (!own) continue;
        chooseCandidates(m, w, totalsOf(y), offsetsOf(y), certainty != nullptr);
        findPartners(m, w, costsOf(y));
        fillOcclusions(m, w);
        writeRow(m, w, rowOf(depth, y), certainty != nullptr ? rowOf(*certainty, y) : nullptr);
    }
}

bool sameSizeGrey(const Picture& picture, const Picture& stereogram) {
    return isPresent(picture) && picture.width == stereogram.width && picture.height == stereogram.height &&
           picture.channels == GreyChannels;
}

void clear(Picture& picture) {
    std::memset(picture.pixels.get(), 0, rowBytes(picture) * static_cast<size_t>(picture.height));
}

void clearBoth(Picture& depth, Picture* certainty) {
    clear(depth);
    if (certainty != nullptr) clear(*certainty);
}

Matching matchingOf(const Picture& stereogram, int32_t stripWidth, const Preferences& prefs) {
    Matching m;
    m.stereogram = &stereogram;
    m.width = stereogram.width;
    m.height = stereogram.height;
    m.channels = stereogram.channels;
    m.stripWidth = stripWidth;
    m.levels = tolerantLevelCount(prefs);
    m.depthStep = prefs.depthStep;
    m.candidates = m.levels + 1;
    m.groupSize = m.candidates <= MostGroups ? 1 : CostLanes;
    m.groups = (m.candidates + m.groupSize - 1) / m.groupSize;
    m.lanes = roundUp(m.groups + 1, CostLanes);
    // With a group of one each, the candidates have the groups' lanes.
    m.fineLanes = m.groupSize == 1 ? m.lanes : roundUp(m.candidates, CostLanes);
    m.differenceLanes = roundUp(m.fineLanes, BlockLanes);
    m.planeLength = static_cast<size_t>(m.width) + static_cast<size_t>(stripWidth) +
                    static_cast<size_t>(m.differenceLanes);
    return m;
}

}  // namespace

Outcome decodeRowsTolerant(Runtime& runtime, const Picture& stereogram, int32_t stripWidth, const Preferences& prefs,
                           const Progress& progress, Picture& depth, Picture* certainty) {
    if (!isPresent(stereogram)) return refusedOutcome(NoStereogramText, NoCaption);
    for (Picture* picture : {&depth, certainty}) {
        if (picture == nullptr || sameSizeGrey(*picture, stereogram)) continue;
        if (!replacePicture(runtime, *picture, stereogram.width, stereogram.height, GreyChannels))
            return outOfMemoryOutcome();
    }
    const int32_t height = stereogram.height;
    // With no strip, or one at least as wide as the picture, no point has a
    // partner: the rows stay cleared.
    if (stripWidth < 1 || stripWidth >= stereogram.width) {
        clearBoth(depth, certainty);
        const bool stepped = forEachRowRun(runtime, height, 1, progress, [](int32_t, int32_t, int32_t) {});
        return stepped ? doneOutcome() : stoppedOutcome();
    }
    const Matching m = matchingOf(stereogram, stripWidth, prefs);
    const int32_t bands = (height + BandRows - 1) / BandRows;
    int32_t threads = threadsFor(runtime, progress, bands);
    const size_t workSize = workSizeOf(m);
    OwnedBytes working = allocateWorkingRows(runtime, workSize, threads);
    if (working == nullptr) return outOfMemoryOutcome();
    const bool done =
        forEachRowBand(runtime, height, BandRows, threads, progress, [&](int32_t begin, int32_t end, int32_t thread) {
            size_t size = 0;
            BandWork w = layOut(m, working.get() + workSize * static_cast<size_t>(thread), size);
            decodeBand(m, w, begin, end, depth, certainty);
        });
    if (done) return doneOutcome();
    clearBoth(depth, certainty);
    return stoppedOutcome();
}
