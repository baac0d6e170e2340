#pragma once

// The public classes of the constraint solver, declared, for headers that only name them.

namespace cassowary {
class Constraint;
class Expression;
class Solver;
class Variable;
struct Term;
}  // namespace cassowary
