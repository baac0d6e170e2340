#pragma once

#include <memory>
#include <string>

#include "uikit/Forward.h"
#include "uikit/UIView.h"

enum UITableViewCellStyle : long {
  UITableViewCellStyleDefault = 0,   // image, then one text on the left
  UITableViewCellStyleValue1 = 1,    // text on the left, detail on the right
  UITableViewCellStyleValue2 = 2,    // detail-coloured text, then the detail
  UITableViewCellStyleSubtitle = 3,  // text above a smaller detail
};

enum UITableViewCellAccessoryType : long {
  UITableViewCellAccessoryNone = 0,
  UITableViewCellAccessoryDisclosureIndicator = 1,
  UITableViewCellAccessoryDetailDisclosureButton = 2,
  UITableViewCellAccessoryCheckmark = 3,
  UITableViewCellAccessoryDetailButton = 4,
};

enum UITableViewCellSelectionStyle : long {
  UITableViewCellSelectionStyleNone = 0,
  UITableViewCellSelectionStyleBlue = 1,
  UITableViewCellSelectionStyleGray = 2,
  UITableViewCellSelectionStyleDefault = 3,
};

enum UITableViewCellSeparatorStyle : long {
  UITableViewCellSeparatorStyleNone = 0,
  UITableViewCellSeparatorStyleSingleLine = 1,
  UITableViewCellSeparatorStyleSingleLineEtched = 2,
};

// The appearance proxy of table cells. A value set here is given to a cell when it first moves
// into a window, unless the cell was given its own value first, so it reaches the cells that are
// shown afterwards, not those already on screen. The proxy hands every such cell the same view.
class UITableViewCellAppearance {
 public:
  std::shared_ptr<UIView> selectedBackgroundView() const { return selectedBackgroundView_; }
  void setSelectedBackgroundView(std::shared_ptr<UIView> view) {
    selectedBackgroundView_ = std::move(view);
    hasSelectedBackgroundView_ = true;
  }
  bool hasSelectedBackgroundView() const { return hasSelectedBackgroundView_; }

 private:
  std::shared_ptr<UIView> selectedBackgroundView_;
  bool hasSelectedBackgroundView_ = false;
};

// One row of a table. Its content goes into contentView, which fills the cell less the room of
// the accessory; the built-in labels and image view are made on first use and live there too.
// While selected or highlighted (and unless the selection style is none) the cell shows its
// selected-background view behind the content, a grey fill unless one was given.
class UITableViewCell : public UIView {
  OBJC_CLASS(UITableViewCell, UIView);

 public:
  UITableViewCell();
  ~UITableViewCell() override;

  std::shared_ptr<UITableViewCell> init() { return initWithFrame(CGRectZero); }
  std::shared_ptr<UITableViewCell> initWithFrame(CGRect frame);
  // A subclass defines its own initWithStyle that calls this one first; the table's registered
  // classes are made through it.
  std::shared_ptr<UITableViewCell> initWithStyle(UITableViewCellStyle style,
                                                 const std::string& reuseIdentifier);

  static std::shared_ptr<UITableViewCellAppearance> appearance();

  const std::string& reuseIdentifier() const { return reuseIdentifier_; }
  UITableViewCellStyle style() const { return style_; }

  const std::shared_ptr<UIView>& contentView() const { return contentView_; }
  // Made on first use, in the content view.
  std::shared_ptr<UILabel> textLabel();
  // nil in the default style, which has no detail.
  std::shared_ptr<UILabel> detailTextLabel();
  std::shared_ptr<UIImageView> imageView();

  UITableViewCellAccessoryType accessoryType() const { return accessoryType_; }
  void setAccessoryType(UITableViewCellAccessoryType type);
  // Takes the place of the accessory type's symbol, at the trailing edge.
  std::shared_ptr<UIView> accessoryView() const { return accessoryView_; }
  void setAccessoryView(std::shared_ptr<UIView> view);

  UITableViewCellSelectionStyle selectionStyle() const { return selectionStyle_; }
  void setSelectionStyle(UITableViewCellSelectionStyle style);
  std::shared_ptr<UIView> backgroundView() const { return backgroundView_; }
  void setBackgroundView(std::shared_ptr<UIView> view);
  // Made (a grey fill) when the cell is first selected, if none was given.
  std::shared_ptr<UIView> selectedBackgroundView() const { return selectedBackgroundView_; }
  void setSelectedBackgroundView(std::shared_ptr<UIView> view);

  bool isSelected() const { return selected_; }
  void setSelected(bool selected) { setSelected(selected, false); }
  virtual void setSelected(bool selected, bool animated);
  bool isHighlighted() const { return highlighted_; }
  void setHighlighted(bool highlighted) { setHighlighted(highlighted, false); }
  virtual void setHighlighted(bool highlighted, bool animated);

  bool isEditing() const { return editing_; }
  void setEditing(bool editing) { setEditing(editing, false); }
  virtual void setEditing(bool editing, bool animated);

  // The separator line under the cell; the table sets it from its own settings.
  UIEdgeInsets separatorInset() const { return separatorInset_; }
  void setSeparatorInset(UIEdgeInsets insets);

  // Called by the table before it hands out the cell again. Subclasses clear what a row set
  // and call this first; the default drops the selection and highlight.
  virtual void prepareForReuse();

  void layoutSubviews() override;
  void didMoveToWindow() override;
  // Views added to the cell itself go behind its content view, as on the platform, so that the
  // content (and the controls in it) stays in front and keeps its touches.
  void didAddSubview(const std::shared_ptr<UIView>& subview) override;
  void setBackgroundColor(std::shared_ptr<UIColor> color) override;

 private:
  friend class UITableView;

  void updateSelectionBackground();
  void updateAccessory();
  std::shared_ptr<UIView> accessoryShown() const;
  // Set by the table when it places the cell.
  void setSeparator(bool visible, const std::shared_ptr<UIColor>& color);
  // In an inset-grouped table: the card fill of the section behind the cell, with the section's
  // outer corners rounded where this cell has them. A background colour set on the cell paints
  // over it.
  void setSectionCard(bool top, bool bottom, CGFloat radius);

  std::string reuseIdentifier_;
  UITableViewCellStyle style_ = UITableViewCellStyleDefault;
  std::shared_ptr<UIView> contentView_;
  std::shared_ptr<UILabel> textLabel_;
  std::shared_ptr<UILabel> detailTextLabel_;
  std::shared_ptr<UIImageView> imageView_;
  // Where layout last put each built-in view (null: never).
  CGRect placedText_ = CGRectNull;
  CGRect placedDetail_ = CGRectNull;
  CGRect placedImage_ = CGRectNull;

  UITableViewCellAccessoryType accessoryType_ = UITableViewCellAccessoryNone;
  std::shared_ptr<UIView> accessoryView_;
  std::shared_ptr<UIImageView> accessorySymbol_;

  UITableViewCellSelectionStyle selectionStyle_ = UITableViewCellSelectionStyleDefault;
  std::shared_ptr<UIView> backgroundView_;
  std::shared_ptr<UIView> selectedBackgroundView_;
  bool selectedBackgroundViewSet_ = false;
  bool appearanceApplied_ = false;
  bool selected_ = false;
  bool highlighted_ = false;
  bool editing_ = false;

  UIEdgeInsets separatorInset_{0, 16, 0, 0};
  std::shared_ptr<UIView> separatorView_;
  bool backgroundColorSet_ = false;
  std::shared_ptr<UIView> sectionCard_;
  bool cardTop_ = false;
  bool cardBottom_ = false;
  CGFloat cardRadius_ = 0;
};
