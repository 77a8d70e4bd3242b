// The library's own error codes. Every public operation returns one of these
// (or minus a system error number) on failure.
#pragma once

namespace qkerr {

// General faults
constexpr int kCreateObject = -6527001;
constexpr int kReentry = -6527002;
constexpr int kOutOfMemory = -6527003;
constexpr int kInitObject = -6527004;
constexpr int kReceiverTooOld = -6527005;
constexpr int kBusy = -6527007;
// Connection set-up
constexpr int kNoConnection = -6528001;
constexpr int kGracefullyClosed = -6528002;
constexpr int kEmptyPortList = -6528004;
constexpr int kPreviousStillClosing = -6528005;
constexpr int kHandshakeFailed = -6528006;
// Requests, keep-alive, discovery
constexpr int kResponseTimeout = -6528101;
constexpr int kRollTimeout = -6528102;
constexpr int kVideoPosition = -6528103;
constexpr int kBroadcastSocket = -6528104;
constexpr int kVideoDuration = -6528105;
// Capture and encoders
constexpr int kOpenCapture = -6528201;
constexpr int kStartCapture = -6528202;
constexpr int kSendImageBlock = -6528203;
constexpr int kLoadJpegEncoder = -6528205;
constexpr int kOpenJpegFileEngine = -6528206;
constexpr int kOpenH264Encoder = -6528207;
// Receiver operations
constexpr int kLoginRejected = -6528301;
constexpr int kDeviceOccupied = -6528302;
constexpr int kStopPlayImage = -6528303;
constexpr int kPlayVideoStream = -6528304;
constexpr int kNoInboundPort = -6528305;
constexpr int kDisconnected = -6528306;
constexpr int kStopVideoStream = -6528307;
constexpr int kPauseVideoStream = -6528308;
constexpr int kSetVideoVolume = -6528309;
constexpr int kSeekVideoStream = -6528310;
constexpr int kOpenVideoFile = -6528313;
constexpr int kUnsupportedVideoFormat = -6528314;
constexpr int kConvertVideoOffset = -6528315;
constexpr int kConferenceMode = -6528316;
constexpr int kAlreadyLoggedIn = -6528317;
constexpr int kHideScreen = -6528318;
constexpr int kBackupAccel = -6528319;
constexpr int kDisplaySetting = -6528320;
constexpr int kChangeValue = -6528321;
constexpr int kCreateLogFile = -6528322;
constexpr int kDeviceBusyVideo = -6528323;
constexpr int kNoJpegEncoder = -6528324;
constexpr int kFileNotExist = -6528325;
constexpr int kPrebufNetworkQuality = -6528326;
// Screen-stream component
constexpr int kK7rmNotInstalled = -6528401;
constexpr int kK7rmNoStart = -6528402;
constexpr int kK7rmNoStop = -6528403;
constexpr int kK7rmTooOld = -6528405;
constexpr int kK7rmCantStart = -6528406;
// Local HTTP server
constexpr int kHwkInit = -6528501;
constexpr int kHwkShutdown = -6528502;
constexpr int kHwkRegister = -6528503;
constexpr int kHwkDeregister = -6528504;
constexpr int kHwkNotRunning = -6528505;
constexpr int kHwkMultipleInstances = -6528506;
constexpr int kHwkLoad = -6528507;
constexpr int kHwktRegister = -6528601;
constexpr int kHwktDeregister = -6528602;
constexpr int kHwktNotEnabled = -6528603;
constexpr int kHwktLoad = -6528604;
// Listening sockets, sender address
constexpr int kNoServerSocket = -6528701;
constexpr int kSenderAddress = -6528801;
// Action results
constexpr int kActionFailed = -6528901;
constexpr int kActionTimeout = -6528902;
constexpr int kTargetNotFound = -6528903;
constexpr int kActionNotSupported = -6528904;
constexpr int kDeviceBusyCommand = -6528905;
constexpr int kVideoCodec = -6528906;
constexpr int kAudioCodec = -6528907;
constexpr int kSeekMode = -6528908;
constexpr int kMultiStreaming = -6528909;

}  // namespace qkerr
