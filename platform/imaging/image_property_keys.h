#pragma once
// Keys of image metadata dictionaries. The metadata of an image is a dictionary with the pixel size and
// orientation at the top, the TIFF (IFD0) entries under kCGImagePropertyTIFFDictionary and the EXIF entries under
// kCGImagePropertyExifDictionary. Both the Exiv2 reader of this folder and the session's own little TIFF reader
// build dictionaries of this one shape, so their users need not know which of the two answered.
namespace platform {

inline constexpr const char* kCGImagePropertyPixelWidth = "PixelWidth";
inline constexpr const char* kCGImagePropertyPixelHeight = "PixelHeight";
inline constexpr const char* kCGImagePropertyOrientation = "Orientation";
inline constexpr const char* kCGImagePropertyTIFFDictionary = "{TIFF}";
inline constexpr const char* kCGImagePropertyExifDictionary = "{Exif}";

// TIFF dictionary.
inline constexpr const char* kCGImagePropertyTIFFCompression = "Compression";
inline constexpr const char* kCGImagePropertyTIFFMake = "Make";
inline constexpr const char* kCGImagePropertyTIFFModel = "Model";
inline constexpr const char* kCGImagePropertyTIFFOrientation = "Orientation";
inline constexpr const char* kCGImagePropertyTIFFXResolution = "XResolution";
inline constexpr const char* kCGImagePropertyTIFFYResolution = "YResolution";
inline constexpr const char* kCGImagePropertyTIFFResolutionUnit = "ResolutionUnit";
inline constexpr const char* kCGImagePropertyTIFFSoftware = "Software";
inline constexpr const char* kCGImagePropertyTIFFDateTime = "DateTime";
inline constexpr const char* kCGImagePropertyTIFFArtist = "Artist";
inline constexpr const char* kCGImagePropertyTIFFCopyright = "Copyright";

// EXIF dictionary (the ones this program reads; the readers may store more under their EXIF tag names).
inline constexpr const char* kCGImagePropertyExifExposureTime = "ExposureTime";
inline constexpr const char* kCGImagePropertyExifFNumber = "FNumber";
inline constexpr const char* kCGImagePropertyExifISOSpeedRatings = "ISOSpeedRatings";  // an array of numbers
inline constexpr const char* kCGImagePropertyExifExposureBiasValue = "ExposureBiasValue";
inline constexpr const char* kCGImagePropertyExifMeteringMode = "MeteringMode";
inline constexpr const char* kCGImagePropertyExifLightSource = "LightSource";
inline constexpr const char* kCGImagePropertyExifWhiteBalance = "WhiteBalance";
inline constexpr const char* kCGImagePropertyExifFocalLength = "FocalLength";
inline constexpr const char* kCGImagePropertyExifPixelXDimension = "PixelXDimension";
inline constexpr const char* kCGImagePropertyExifPixelYDimension = "PixelYDimension";

}  // namespace platform
