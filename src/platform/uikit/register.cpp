// The view toolkit's classes under their device names, superclasses first,
// each with the run-time methods that host-style code and hooks send by name.

#include "platform/uikit/register.h"

#include "platform/foundation/NSBlock.h"
#include "platform/uikit/UIKit.h"

namespace {

using objc::addMethod;

void add(Class cls, const char* name, IMP imp) {
  class_addMethod(cls, sel_registerName(name), imp, std::string(imp.types()).c_str());
}

void registerViewMethods(Class view) {
  // "init" goes through "initWithFrame:" so that an override of the
  // designated initialiser runs either way, as on the device.
  add(view, "init", +[](id self, SEL) -> StrongId { return objc_msgSend<StrongId>(self, "initWithFrame:", CGRectZero); });
  addMethod<&UIView::initWithFrame>(view, "initWithFrame:");
  addMethod<&UIView::superview>(view, "superview");
  addMethod<&UIView::subviews>(view, "subviews");
  addMethod<&UIView::addSubview>(view, "addSubview:");
  addMethod<&UIView::insertSubview_atIndex>(view, "insertSubview:atIndex:");
  addMethod<&UIView::removeFromSuperview>(view, "removeFromSuperview");
  addMethod<&UIView::isDescendantOfView>(view, "isDescendantOfView:");
  addMethod<&UIView::viewWithTag>(view, "viewWithTag:");
  addMethod<&UIView::frame>(view, "frame");
  addMethod<&UIView::setFrame>(view, "setFrame:");
  addMethod<&UIView::bounds>(view, "bounds");
  addMethod<&UIView::setBounds>(view, "setBounds:");
  addMethod<&UIView::alpha>(view, "alpha");
  addMethod<&UIView::setAlpha>(view, "setAlpha:");
  addMethod<&UIView::isHidden>(view, "isHidden");
  addMethod<&UIView::setHidden>(view, "setHidden:");
  addMethod<&UIView::clipsToBounds>(view, "clipsToBounds");
  addMethod<&UIView::setClipsToBounds>(view, "setClipsToBounds:");
  addMethod<&UIView::isOpaque>(view, "isOpaque");
  addMethod<&UIView::setOpaque>(view, "setOpaque:");
  addMethod<&UIView::backgroundColor>(view, "backgroundColor");
  addMethod<&UIView::setBackgroundColor>(view, "setBackgroundColor:");
  addMethod<&UIView::tintColor>(view, "tintColor");
  addMethod<&UIView::setTintColor>(view, "setTintColor:");
  addMethod<&UIView::contentMode>(view, "contentMode");
  addMethod<&UIView::setContentMode>(view, "setContentMode:");
  addMethod<&UIView::isUserInteractionEnabled>(view, "isUserInteractionEnabled");
  addMethod<&UIView::setUserInteractionEnabled>(view, "setUserInteractionEnabled:");
  addMethod<&UIView::tag>(view, "tag");
  addMethod<&UIView::setTag>(view, "setTag:");
  addMethod<&UIView::accessibilityIdentifier>(view, "accessibilityIdentifier");
  addMethod<&UIView::setAccessibilityIdentifier>(view, "setAccessibilityIdentifier:");
  addMethod<&UIView::translatesAutoresizingMaskIntoConstraints>(view, "translatesAutoresizingMaskIntoConstraints");
  addMethod<&UIView::setTranslatesAutoresizingMaskIntoConstraints>(view, "setTranslatesAutoresizingMaskIntoConstraints:");
  addMethod<&UIView::constraints>(view, "constraints");
  addMethod<&UIView::addConstraint>(view, "addConstraint:");
  addMethod<&UIView::addConstraints>(view, "addConstraints:");
  addMethod<&UIView::removeConstraint>(view, "removeConstraint:");
  addMethod<&UIView::gestureRecognizers>(view, "gestureRecognizers");
  addMethod<&UIView::addGestureRecognizer>(view, "addGestureRecognizer:");
  addMethod<&UIView::removeGestureRecognizer>(view, "removeGestureRecognizer:");
  addMethod<&UIView::intrinsicContentSize>(view, "intrinsicContentSize");
  addMethod<&UIView::setNeedsLayout>(view, "setNeedsLayout");
  addMethod<&UIView::layoutIfNeeded>(view, "layoutIfNeeded");
  addMethod<&UIView::layoutSubviews>(view, "layoutSubviews");
}

void registerViewControllerMethods(Class controller) {
  addMethod<&UIViewController::view>(controller, "view");
  addMethod<&UIViewController::viewIfLoaded>(controller, "viewIfLoaded");
  addMethod<&UIViewController::isViewLoaded>(controller, "isViewLoaded");
  addMethod<&UIViewController::setView>(controller, "setView:");
  addMethod<&UIViewController::loadView>(controller, "loadView");
  addMethod<&UIViewController::viewDidLoad>(controller, "viewDidLoad");
  addMethod<&UIViewController::viewWillAppear>(controller, "viewWillAppear:");
  addMethod<&UIViewController::viewDidAppear>(controller, "viewDidAppear:");
  addMethod<&UIViewController::viewWillDisappear>(controller, "viewWillDisappear:");
  addMethod<&UIViewController::viewDidDisappear>(controller, "viewDidDisappear:");
  addMethod<&UIViewController::beginAppearanceTransition>(controller, "beginAppearanceTransition:animated:");
  addMethod<&UIViewController::endAppearanceTransition>(controller, "endAppearanceTransition");
  addMethod<&UIViewController::title>(controller, "title");
  addMethod<&UIViewController::setTitle>(controller, "setTitle:");
  addMethod<&UIViewController::childViewControllers>(controller, "childViewControllers");
  addMethod<&UIViewController::addChildViewController>(controller, "addChildViewController:");
  addMethod<&UIViewController::removeFromParentViewController>(controller, "removeFromParentViewController");
  addMethod<&UIViewController::willMoveToParentViewController>(controller, "willMoveToParentViewController:");
  addMethod<&UIViewController::didMoveToParentViewController>(controller, "didMoveToParentViewController:");
  addMethod<&UIViewController::parentViewController>(controller, "parentViewController");
  addMethod<&UIViewController::navigationController>(controller, "navigationController");
  addMethod<&UIViewController::presentedViewController>(controller, "presentedViewController");
  addMethod<&UIViewController::presentingViewController>(controller, "presentingViewController");
  // Completion blocks cross the run time as NSBlock objects.
  add(controller, "presentViewController:animated:completion:",
      +[](id self, SEL, id presented, bool animated, id completion) {
        static_cast<UIViewController*>(self)->presentViewController_animated_completion(
            objc_cast<UIViewController>(presented), animated, NSBlock::functionOf(objc_cast<NSBlock>(completion)));
      });
  add(controller, "dismissViewControllerAnimated:completion:", +[](id self, SEL, bool animated, id completion) {
    static_cast<UIViewController*>(self)->dismissViewControllerAnimated_completion(
        animated, NSBlock::functionOf(objc_cast<NSBlock>(completion)));
  });
}

}  // namespace

void registerUIKitClasses() {
  Class root = objc::classOf<NSObject>();

  // Values.
  Class indexPath = objc::registerClass<NSIndexPath>("NSIndexPath", root);
  addMethod<&NSIndexPath::item>(indexPath, "item");
  addMethod<&NSIndexPath::row>(indexPath, "row");
  addMethod<&NSIndexPath::section>(indexPath, "section");
  objc::registerClass<UIColor>("UIColor", root);
  Class font = objc::registerClass<UIFont>("UIFont", root);
  addMethod<&UIFont::fontName>(font, "fontName");
  addMethod<&UIFont::pointSize>(font, "pointSize");
  Class image = objc::registerClass<UIImage>("UIImage", root);
  addMethod<&UIImage::size>(image, "size");
  addMethod<&UIImage::scale>(image, "scale");
  addMethod<&UIImage::renderingMode>(image, "renderingMode");
  addMethod<&UIImage::imageWithRenderingMode>(image, "imageWithRenderingMode:");
  objc::registerClass<UIScreen>("UIScreen", root);

  // Responders and views.
  Class responder = objc::registerClass<UIResponder>("UIResponder", root);
  Class application = objc::registerClass<UIApplication>("UIApplication", responder);
  addMethod<&UIApplication::canOpenURL>(application, "canOpenURL:");
  addMethod<&UIApplication::openURL>(application, "openURL:");

  Class view = objc::registerClass<UIView>("UIView", responder);
  registerViewMethods(view);

  Class label = objc::registerClass<UILabel>("UILabel", view);
  addMethod<&UILabel::text>(label, "text");
  addMethod<&UILabel::setText>(label, "setText:");
  addMethod<&UILabel::font>(label, "font");
  addMethod<&UILabel::setFont>(label, "setFont:");
  addMethod<&UILabel::textColor>(label, "textColor");
  addMethod<&UILabel::setTextColor>(label, "setTextColor:");
  addMethod<&UILabel::numberOfLines>(label, "numberOfLines");
  addMethod<&UILabel::setNumberOfLines>(label, "setNumberOfLines:");
  addMethod<&UILabel::lineBreakMode>(label, "lineBreakMode");
  addMethod<&UILabel::setLineBreakMode>(label, "setLineBreakMode:");
  addMethod<&UILabel::textAlignment>(label, "textAlignment");
  addMethod<&UILabel::setTextAlignment>(label, "setTextAlignment:");

  Class imageView = objc::registerClass<UIImageView>("UIImageView", view);
  addMethod<&UIImageView::image>(imageView, "image");
  addMethod<&UIImageView::setImage>(imageView, "setImage:");

  Class progress = objc::registerClass<UIProgressView>("UIProgressView", view);
  addMethod<&UIProgressView::initWithProgressViewStyle>(progress, "initWithProgressViewStyle:");
  addMethod<&UIProgressView::progress>(progress, "progress");
  addMethod<&UIProgressView::setProgress>(progress, "setProgress:");
  addMethod<&UIProgressView::setProgress_animated>(progress, "setProgress:animated:");
  addMethod<&UIProgressView::trackTintColor>(progress, "trackTintColor");
  addMethod<&UIProgressView::setTrackTintColor>(progress, "setTrackTintColor:");
  addMethod<&UIProgressView::progressTintColor>(progress, "progressTintColor");
  addMethod<&UIProgressView::setProgressTintColor>(progress, "setProgressTintColor:");

  Class spinner = objc::registerClass<UIActivityIndicatorView>("UIActivityIndicatorView", view);
  addMethod<&UIActivityIndicatorView::initWithActivityIndicatorStyle>(spinner, "initWithActivityIndicatorStyle:");
  addMethod<&UIActivityIndicatorView::color>(spinner, "color");
  addMethod<&UIActivityIndicatorView::setColor>(spinner, "setColor:");
  addMethod<&UIActivityIndicatorView::hidesWhenStopped>(spinner, "hidesWhenStopped");
  addMethod<&UIActivityIndicatorView::setHidesWhenStopped>(spinner, "setHidesWhenStopped:");
  addMethod<&UIActivityIndicatorView::startAnimating>(spinner, "startAnimating");
  addMethod<&UIActivityIndicatorView::stopAnimating>(spinner, "stopAnimating");
  addMethod<&UIActivityIndicatorView::isAnimating>(spinner, "isAnimating");

  Class control = objc::registerClass<UIControl>("UIControl", view);
  addMethod<&UIControl::addTarget_action_forControlEvents>(control, "addTarget:action:forControlEvents:");
  addMethod<&UIControl::removeTarget_action_forControlEvents>(control, "removeTarget:action:forControlEvents:");
  addMethod<&UIControl::sendActionsForControlEvents>(control, "sendActionsForControlEvents:");
  addMethod<&UIControl::isEnabled>(control, "isEnabled");
  addMethod<&UIControl::setEnabled>(control, "setEnabled:");
  Class toggle = objc::registerClass<UISwitch>("UISwitch", control);
  addMethod<&UISwitch::isOn>(toggle, "isOn");
  addMethod<&UISwitch::setOn>(toggle, "setOn:");
  addMethod<&UISwitch::setOn_animated>(toggle, "setOn:animated:");
  addMethod<&UISwitch::onTintColor>(toggle, "onTintColor");
  addMethod<&UISwitch::setOnTintColor>(toggle, "setOnTintColor:");
  Class bar = objc::registerClass<UINavigationBar>("UINavigationBar", view);
  addMethod<&UINavigationBar::backButtonTapped>(bar, "backButtonTapped:");
  Class button = objc::registerClass<UIButton>("UIButton", control);
  addMethod<&UIButton::setTitle_forState>(button, "setTitle:forState:");
  addMethod<&UIButton::titleForState>(button, "titleForState:");
  addMethod<&UIButton::currentTitle>(button, "currentTitle");

  Class reusable = objc::registerClass<UICollectionReusableView>("UICollectionReusableView", view);
  addMethod<&UICollectionReusableView::reuseIdentifier>(reusable, "reuseIdentifier");
  addMethod<&UICollectionReusableView::prepareForReuse>(reusable, "prepareForReuse");
  Class cell = objc::registerClass<UICollectionViewCell>("UICollectionViewCell", reusable);
  addMethod<&UICollectionViewCell::contentView>(cell, "contentView");
  Class collection = objc::registerClass<UICollectionView>("UICollectionView", view);
  addMethod<&UICollectionView::dataSource>(collection, "dataSource");
  addMethod<&UICollectionView::setDataSource>(collection, "setDataSource:");
  addMethod<&UICollectionView::registerClass_forCellWithReuseIdentifier>(collection,
                                                                          "registerClass:forCellWithReuseIdentifier:");
  addMethod<&UICollectionView::dequeueReusableCellWithReuseIdentifier_forIndexPath>(
      collection, "dequeueReusableCellWithReuseIdentifier:forIndexPath:");
  addMethod<&UICollectionView::cellForItemAtIndexPath>(collection, "cellForItemAtIndexPath:");
  addMethod<&UICollectionView::visibleCells>(collection, "visibleCells");
  addMethod<&UICollectionView::indexPathForCell>(collection, "indexPathForCell:");
  addMethod<&UICollectionView::reloadData>(collection, "reloadData");

  // Table views, their cells and header views; stack views.
  Class tableCell = objc::registerClass<UITableViewCell>("UITableViewCell", view);
  addMethod<&UITableViewCell::reuseIdentifier>(tableCell, "reuseIdentifier");
  addMethod<&UITableViewCell::prepareForReuse>(tableCell, "prepareForReuse");
  addMethod<&UITableViewCell::contentView>(tableCell, "contentView");
  addMethod<&UITableViewCell::accessoryView>(tableCell, "accessoryView");
  addMethod<&UITableViewCell::setAccessoryView>(tableCell, "setAccessoryView:");
  addMethod<&UITableViewCell::accessoryType>(tableCell, "accessoryType");
  addMethod<&UITableViewCell::setAccessoryType>(tableCell, "setAccessoryType:");
  addMethod<&UITableViewCell::isSelected>(tableCell, "isSelected");
  Class headerFooter = objc::registerClass<UITableViewHeaderFooterView>("UITableViewHeaderFooterView", view);
  addMethod<&UITableViewHeaderFooterView::initWithReuseIdentifier>(headerFooter, "initWithReuseIdentifier:");
  addMethod<&UITableViewHeaderFooterView::reuseIdentifier>(headerFooter, "reuseIdentifier");
  addMethod<&UITableViewHeaderFooterView::prepareForReuse>(headerFooter, "prepareForReuse");
  addMethod<&UITableViewHeaderFooterView::contentView>(headerFooter, "contentView");
  Class table = objc::registerClass<UITableView>("UITableView", view);
  addMethod<&UITableView::dataSource>(table, "dataSource");
  addMethod<&UITableView::setDataSource>(table, "setDataSource:");
  addMethod<&UITableView::delegate>(table, "delegate");
  addMethod<&UITableView::setDelegate>(table, "setDelegate:");
  addMethod<&UITableView::registerClass_forCellReuseIdentifier>(table, "registerClass:forCellReuseIdentifier:");
  addMethod<&UITableView::registerClass_forHeaderFooterViewReuseIdentifier>(
      table, "registerClass:forHeaderFooterViewReuseIdentifier:");
  addMethod<&UITableView::dequeueReusableCellWithIdentifier>(table, "dequeueReusableCellWithIdentifier:");
  addMethod<&UITableView::dequeueReusableCellWithIdentifier_forIndexPath>(
      table, "dequeueReusableCellWithIdentifier:forIndexPath:");
  addMethod<&UITableView::dequeueReusableHeaderFooterViewWithIdentifier>(
      table, "dequeueReusableHeaderFooterViewWithIdentifier:");
  addMethod<&UITableView::reloadData>(table, "reloadData");
  addMethod<&UITableView::cellForRowAtIndexPath>(table, "cellForRowAtIndexPath:");
  addMethod<&UITableView::visibleCells>(table, "visibleCells");
  addMethod<&UITableView::indexPathForCell>(table, "indexPathForCell:");
  addMethod<&UITableView::indexPathForSelectedRow>(table, "indexPathForSelectedRow");
  addMethod<&UITableView::deselectRowAtIndexPath_animated>(table, "deselectRowAtIndexPath:animated:");
  Class stack = objc::registerClass<UIStackView>("UIStackView", view);
  addMethod<&UIStackView::arrangedSubviews>(stack, "arrangedSubviews");
  addMethod<&UIStackView::addArrangedSubview>(stack, "addArrangedSubview:");
  addMethod<&UIStackView::removeArrangedSubview>(stack, "removeArrangedSubview:");

  // Constraints and gestures.
  Class constraint = objc::registerClass<NSLayoutConstraint>("NSLayoutConstraint", root);
  addMethod<&NSLayoutConstraint::firstItem>(constraint, "firstItem");
  addMethod<&NSLayoutConstraint::firstAttribute>(constraint, "firstAttribute");
  addMethod<&NSLayoutConstraint::secondItem>(constraint, "secondItem");
  addMethod<&NSLayoutConstraint::secondAttribute>(constraint, "secondAttribute");
  addMethod<&NSLayoutConstraint::relation>(constraint, "relation");
  addMethod<&NSLayoutConstraint::multiplier>(constraint, "multiplier");
  addMethod<&NSLayoutConstraint::constant>(constraint, "constant");
  addMethod<&NSLayoutConstraint::setConstant>(constraint, "setConstant:");
  addMethod<&NSLayoutConstraint::priority>(constraint, "priority");
  addMethod<&NSLayoutConstraint::isActive>(constraint, "isActive");
  addMethod<&NSLayoutConstraint::setActive>(constraint, "setActive:");
  addMethod<&NSLayoutConstraint::identifier>(constraint, "identifier");
  addMethod<&NSLayoutConstraint::setIdentifier>(constraint, "setIdentifier:");

  Class recognizer = objc::registerClass<UIGestureRecognizer>("UIGestureRecognizer", root);
  addMethod<&UIGestureRecognizer::initWithTarget_action>(recognizer, "initWithTarget:action:");
  addMethod<&UIGestureRecognizer::addTarget_action>(recognizer, "addTarget:action:");
  addMethod<&UIGestureRecognizer::view>(recognizer, "view");
  addMethod<&UIGestureRecognizer::isEnabled>(recognizer, "isEnabled");
  addMethod<&UIGestureRecognizer::setEnabled>(recognizer, "setEnabled:");
  addMethod<&UIGestureRecognizer::state>(recognizer, "state");
  objc::registerClass<UITapGestureRecognizer>("UITapGestureRecognizer", recognizer);

  // View controllers.
  Class controller = objc::registerClass<UIViewController>("UIViewController", responder);
  registerViewControllerMethods(controller);
  Class navigation = objc::registerClass<UINavigationController>("UINavigationController", controller);
  addMethod<&UINavigationController::setNavigationBarHidden_animated>(navigation, "setNavigationBarHidden:animated:");
  addMethod<&UINavigationController::initWithRootViewController>(navigation, "initWithRootViewController:");
  addMethod<&UINavigationController::pushViewController_animated>(navigation, "pushViewController:animated:");
  addMethod<&UINavigationController::popViewControllerAnimated>(navigation, "popViewControllerAnimated:");
  addMethod<&UINavigationController::viewControllers>(navigation, "viewControllers");
  addMethod<&UINavigationController::topViewController>(navigation, "topViewController");
}
