#include "layout/Tableau+Private.h"

#include <limits>
#include <stdexcept>
#include <string>

namespace cassowary::detail {

void broken(const char* what) {
  throw std::logic_error(std::string("cassowary solver invariant broken: ") + what);
}

int Tableau::newSymbol(SymbolType type) {
  int symbol;
  if (!freeSymbols.empty()) {
    symbol = freeSymbols.back();
    freeSymbols.pop_back();
  } else {
    symbol = static_cast<int>(symbols.size());
    symbols.emplace_back();
  }
  data(symbol).type = type;
  return symbol;
}

void Tableau::releaseSymbol(int symbol) {
  if (symbol < 0) return;
  if (rowOf(symbol)) takeRow(symbol);
  for (int basic : std::vector<int>(column(symbol))) {
    Row& row = *rowOf(basic);
    addToCell(row, symbol, -row.coefficientFor(symbol), tracker(basic));
  }
  data(symbol).column = Column{};
  for (Objective* target : {&objective, artificial}) {
    if (!target) continue;
    for (auto& [priority, level] : *target) {
      addToLevel(level, symbol, -level.coefficientFor(symbol));
    }
  }
  data(symbol).type = SymbolType::invalid;
  freeSymbols.push_back(symbol);
}

bool Tableau::isRestricted(int symbol) const {
  SymbolType type = typeOf(symbol);
  return type == SymbolType::slack || type == SymbolType::error;
}

Row* Tableau::rowOf(int symbol) {
  SymbolData& d = data(symbol);
  return d.basic ? &d.row : nullptr;
}

void Tableau::noteAdded(int symbol, int basic) {
  Column& c = data(symbol).column;
  c.rows.push_back(basic);
  ++c.live;
  // Swept later: the row being changed may not hold its new cells yet.
  if (!c.crowded && c.rows.size() > 2 * static_cast<size_t>(c.live) + 16) {
    c.crowded = true;
    crowded.push_back(symbol);
  }
}

void Tableau::sweepCrowded() {
  for (int symbol : crowded) {
    if (typeOf(symbol) != SymbolType::invalid) sweep(symbol);
  }
  crowded.clear();
}

const std::vector<int>& Tableau::column(int symbol) {
  Column& c = data(symbol).column;
  if (c.rows.size() != static_cast<size_t>(c.live)) sweep(symbol);
  return c.rows;
}

void Tableau::sweep(int symbol) {
  Column& c = data(symbol).column;
  ++generation;
  size_t kept = 0;
  for (int basic : c.rows) {
    uint32_t& stamp = data(basic).stamp;
    const Row* row = rowOf(basic);
    if (stamp != generation && row && row->contains(symbol)) {
      stamp = generation;
      c.rows[kept++] = basic;
    }
  }
  c.rows.resize(kept);
  c.crowded = false;
  if (kept != static_cast<size_t>(c.live)) broken("column index out of step with the rows");
}

void Tableau::installRow(int basic, Row row) {
  for (const Cell& cell : row.cells) noteAdded(cell.symbol, basic);
  SymbolData& d = data(basic);
  d.row = std::move(row);
  d.basic = true;
}

Row Tableau::takeRow(int basic) {
  SymbolData& d = data(basic);
  Row row = std::move(d.row);
  d.row = Row{};
  d.basic = false;
  for (const Cell& cell : row.cells) noteRemoved(cell.symbol);
  return row;
}

void Tableau::addToLevel(Level& level, int symbol, double delta) {
  double* found = level.cells.find(symbol);
  double coefficient = (found ? *found : 0) + delta;
  if (nearZero(coefficient)) {
    if (found) level.cells.erase(symbol);
    coefficient = 0;
  } else if (found) {
    *found = coefficient;
  } else {
    level.cells.insert(symbol, coefficient);
  }
  bool candidate = coefficient < 0 && typeOf(symbol) != SymbolType::dummy;
  bool listed = level.negatives.contains(symbol);
  if (candidate && !listed) level.negatives.insert(symbol, {});
  if (!candidate && listed) level.negatives.erase(symbol);
}

void Tableau::addRowToLevel(Level& level, const Row& row, double factor) {
  level.constant += factor * row.constant;
  for (const Cell& cell : row.cells) addToLevel(level, cell.symbol, factor * cell.coefficient);
}

int Tableau::markerLeavingRow(int marker) {
  double bestNegative = std::numeric_limits<double>::infinity();
  double bestPositive = bestNegative;
  int first = -1, second = -1, third = -1;
  for (int basic : column(marker)) {
    const Row& row = *rowOf(basic);
    double coefficient = row.coefficientFor(marker);
    if (typeOf(basic) == SymbolType::external) {
      third = basic;
    } else if (coefficient < 0) {
      double ratio = -row.constant / coefficient;
      if (ratio < bestNegative) {
        bestNegative = ratio;
        first = basic;
      }
    } else {
      double ratio = row.constant / coefficient;
      if (ratio < bestPositive) {
        bestPositive = ratio;
        second = basic;
      }
    }
  }
  return first >= 0 ? first : second >= 0 ? second : third;
}

void Tableau::substitute(int symbol, const Row& row) {
  for (int basic : std::vector<int>(column(symbol))) {
    Row& target = *rowOf(basic);
    auto found = target.at(symbol);
    double coefficient = found->coefficient;
    target.cells.erase(found);
    noteRemoved(symbol);
    addRow(target, row, coefficient, tracker(basic));
    if (typeOf(basic) != SymbolType::external && target.constant < 0) {
      infeasible.push_back(basic);
    }
  }
  data(symbol).column.rows.clear();
  for (Objective* target : {&objective, artificial}) {
    if (!target) continue;
    for (auto& [priority, level] : *target) {
      double coefficient = level.coefficientFor(symbol);
      if (coefficient == 0) continue;
      addToLevel(level, symbol, -coefficient);
      addRowToLevel(level, row, coefficient);
    }
  }
}

void Tableau::pivot(int leaving, int entering) {
  Row row = takeRow(leaving);
  addToCell(row, leaving, -1, kUntracked);
  row.solveFor(entering);
  substitute(entering, row);
  installRow(entering, std::move(row));
}

int Tableau::enteringSymbol(const Objective& target) const {
  int best = -1;
  for (auto level = target.begin(); level != target.end(); ++level) {
    for (const auto& entry : level->second.negatives) {
      int symbol = entry.symbol;
      if (best >= 0 && symbol >= best) continue;
      bool decidedAbove = false;
      for (auto above = target.begin(); above != level; ++above) {
        if (above->second.cells.contains(symbol)) {
          decidedAbove = true;
          break;
        }
      }
      if (!decidedAbove) best = symbol;
    }
  }
  return best;
}

int Tableau::leavingRow(int entering) {
  double best = std::numeric_limits<double>::infinity();
  int leaving = -1;
  for (int basic : column(entering)) {
    if (typeOf(basic) == SymbolType::external) continue;
    const Row& row = *rowOf(basic);
    double coefficient = row.coefficientFor(entering);
    if (coefficient >= 0) continue;
    double ratio = -row.constant / coefficient;
    if (ratio < best || (ratio == best && basic < leaving)) {
      best = ratio;
      leaving = basic;
    }
  }
  return leaving;
}

void Tableau::optimize(Objective& target) {
  for (;;) {
    int entering = enteringSymbol(target);
    if (entering < 0) return;
    int leaving = leavingRow(entering);
    if (leaving < 0) broken("the objective is unbounded");
    pivot(leaving, entering);
  }
}

bool Tableau::dualOptimize() {
  while (!infeasible.empty()) {
    int leaving = infeasible.back();
    infeasible.pop_back();
    const Row* row = rowOf(leaving);
    if (!row || nearZero(row->constant) || row->constant >= 0) continue;
    int entering = dualEnteringSymbol(*row);
    if (entering < 0) {
      // Nothing can raise the row: the required constraints contradict each other.
      infeasible.push_back(leaving);
      return false;
    }
    pivot(leaving, entering);
  }
  return true;
}

void Tableau::shiftSymbol(int symbol, double amount) {
  auto check = [this](int basic, const Row& row) {
    if (typeOf(basic) != SymbolType::external && row.constant < 0) infeasible.push_back(basic);
  };
  if (Row* row = rowOf(symbol)) {
    row->constant -= amount;
    check(symbol, *row);
    return;
  }
  for (int basic : column(symbol)) {
    Row& row = *rowOf(basic);
    row.constant += amount * row.coefficientFor(symbol);
    check(basic, row);
  }
}

int Tableau::dualEnteringSymbol(const Row& row) {
  int best = -1;
  std::vector<double> bestRatios, ratios;
  for (const Cell& cell : row.cells) {
    if (cell.coefficient <= 0 || typeOf(cell.symbol) == SymbolType::dummy) continue;
    ratios.clear();
    for (auto& [priority, level] : objective) {
      ratios.push_back(level.coefficientFor(cell.symbol) / cell.coefficient);
    }
    if (best < 0 || lexicographicallyBefore(ratios, bestRatios, cell.symbol < best)) {
      best = cell.symbol;
      std::swap(bestRatios, ratios);
    }
  }
  return best;
}

bool Tableau::lexicographicallyBefore(const std::vector<double>& a, const std::vector<double>& b,
                                      bool onTie) {
  for (size_t i = 0; i < a.size(); ++i) {
    if (nearZero(a[i] - b[i])) continue;
    return a[i] < b[i];
  }
  return onTie;
}

}  // namespace cassowary::detail
