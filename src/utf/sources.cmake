# UTF primitives: conversions, the encoding detector, byte-block scanning.
zoci_layer(utf SOURCES encoding_detection.cpp utf_conversion.cpp)
