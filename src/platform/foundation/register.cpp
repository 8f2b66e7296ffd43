// Foundation's classes, registered in one ordered place.

#include "platform/foundation/register.h"

#include "platform/foundation/NSArray.h"
#include "platform/foundation/NSBlock.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSCharacterSet.h"
#include "platform/foundation/NSData.h"
#include "platform/foundation/NSError.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSRegularExpression.h"
#include "platform/foundation/NSString.h"
#include "platform/foundation/NSURL.h"
#include "platform/foundation/NSURLSession.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/foundation/NSValue.h"

void registerFoundationClasses() {
  registerNSObjectClass();
  Class root = objc::classOf<NSObject>();
  registerNSStringClass();
  objc::registerClass<NSData>("NSData", root);
  Class value = objc::registerClass<NSValue>("NSValue", root);
  objc::registerClass<NSNumber>("NSNumber", value);
  objc::registerClass<NSNull>("NSNull", root);
  objc::registerClass<NSError>("NSError", root);
  Class array = objc::registerClass<NSArray>("NSArray", root);
  objc::registerClass<NSMutableArray>("NSMutableArray", array);
  Class dictionary = objc::registerClass<NSDictionary>("NSDictionary", root);
  objc::registerClass<NSMutableDictionary>("NSMutableDictionary", dictionary);
  objc::addMethod<&NSDictionary::objectForKey>(dictionary, "objectForKey:");
  objc::addMethod<&NSArray::count>(array, "count");
  objc::addMethod<&NSArray::objectAtIndex>(array, "objectAtIndex:");
  Class notification = objc::registerClass<NSNotification>("NSNotification", root);
  objc::addMethod<&NSNotification::name>(notification, "name");
  objc::addMethod<&NSNotification::object>(notification, "object");
  objc::addMethod<&NSNotification::userInfo>(notification, "userInfo");
  objc::registerClass<NSNotificationCenter>("NSNotificationCenter", root);
  Class match = objc::registerClass<NSTextCheckingResult>("NSTextCheckingResult", root);
  objc::addMethod<&NSTextCheckingResult::range>(match, "range");
  objc::addMethod<&NSTextCheckingResult::numberOfRanges>(match, "numberOfRanges");
  objc::addMethod<&NSTextCheckingResult::rangeAtIndex>(match, "rangeAtIndex:");
  objc::registerClass<NSRegularExpression>("NSRegularExpression", root);
  objc::registerClass<NSBundle>("NSBundle", root);
  objc::registerClass<NSUserDefaults>("NSUserDefaults", root);
  // URL loading.
  Class url = objc::registerClass<NSURL>("NSURL", root);
  objc::addMethod<&NSURL::absoluteString>(url, "absoluteString");
  objc::registerClass<NSURLQueryItem>("NSURLQueryItem", root);
  objc::registerClass<NSURLComponents>("NSURLComponents", root);
  Class request = objc::registerClass<NSURLRequest>("NSURLRequest", root);
  objc::registerClass<NSMutableURLRequest>("NSMutableURLRequest", request);
  Class response = objc::registerClass<NSURLResponse>("NSURLResponse", root);
  objc::registerClass<NSHTTPURLResponse>("NSHTTPURLResponse", response);
  objc::registerClass<NSURLSessionConfiguration>("NSURLSessionConfiguration", root);
  Class task = objc::registerClass<NSURLSessionTask>("NSURLSessionTask", root);
  objc::addMethod<&NSURLSessionTask::resume>(task, "resume");
  objc::addMethod<&NSURLSessionTask::cancel>(task, "cancel");
  objc::registerClass<NSURLSessionDataTask>("NSURLSessionDataTask", task);
  objc::registerClass<NSURLSession>("NSURLSession", root);
  // Blocks that cross the run time as objects (completion handlers).
  objc::registerClass<NSBlock>("NSBlock", root);
}
