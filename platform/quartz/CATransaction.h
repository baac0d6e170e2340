#pragma once

// Groups changes to layers. Transactions nest; a setting made in an outer transaction holds in
// the inner ones unless they set their own, and ends with the transaction that made it. Settings
// made outside any begin/commit belong to the implicit transaction, which the run loop flushes.
class CATransaction {
 public:
  CATransaction() = delete;

  static void begin();
  // A commit without a matching begin is ignored.
  static void commit();
  // Ends the implicit transaction.
  static void flush();

  static bool disableActions();
  static void setDisableActions(bool disable);
  // Seconds; 0.25 unless a transaction sets it.
  static double animationDuration();
  static void setAnimationDuration(double duration);

  // How many explicit transactions are open.
  static int depth();
};
