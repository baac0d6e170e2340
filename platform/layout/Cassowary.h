#pragma once

// An incremental Cassowary solver for linear equalities and inequalities with priorities, as
// Auto Layout needs them.
//
// Priorities run from 1 to 1000, where 1000 is required. Required constraints hold exactly or are
// refused. The others are satisfied as well as possible in strict order: no number of
// violations at one priority outweighs a single violation at a higher one; within a priority the
// sum of the violations is made as small as possible.
//
//   cassowary::Variable left("button.left"), width("button.width");
//   cassowary::Solver solver;
//   solver.addConstraint(left + width == 390 - 16);
//   solver.addConstraint(cassowary::Constraint(width == 100, 250));
//   solver.value(left);  // 274
//
// A required equality that names a variable no other constraint names yet defines it, and stays
// out of the tableau, so that chains of views cost the same per link however long they are.
// Changing a held constraint's constant (`changeConstant`) and suggesting values for edit
// variables move the solution from where it is with the dual simplex instead of solving again.
//
// Expression.h       Variable, Term, Expression, Relation, Constraint and the operators that
//                    build them
// Solver.h           Solver, SolverStatus
// Tableau+Private.h  the solver's own: rows, symbols, the objective and the pivots

#include "layout/Expression.h"
#include "layout/Solver.h"
