#pragma once

// The public classes of Foundation, declared, for headers that only name them.

class NSArray;
class NSBundle;
class NSCharacterSet;
class NSCoder;
class NSCoding;
class NSData;
class NSDate;
class NSDateFormatter;
class NSDictionary;
class NSError;
class NSFileManager;
class NSKeyedArchiver;
class NSKeyedUnarchiver;
class NSLocale;
class NSMutableArray;
class NSMutableData;
class NSMutableDictionary;
class NSMutableString;
class NSNotification;
class NSNotificationCenter;
class NSNumber;
class NSPropertyListSerialization;
class NSString;
class NSTimeZone;
class NSURL;
class RunLoop;
struct NSRange;

namespace plist {
struct Value;
}
