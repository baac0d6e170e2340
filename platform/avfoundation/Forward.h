#pragma once

// The public classes of AVFoundation, declared, for headers that only name them.

class AVCaptureDevice;
class AVCaptureDeviceInput;
class AVCaptureSession;
class AVCaptureStillImageOutput;
class AVCaptureVideoPreviewLayer;
class AVPlayer;
class AVPlayerItem;
class AVPlayerLayer;
class AVVideoLayer;
class VideoDecoder;
class VideoFrame;
class VideoPlayback;
struct CMTime;
struct VideoImage;
