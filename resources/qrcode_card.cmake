# Makes the "QRcode" image of the share picture: a white card of 132 x 63 points with the QR code
# of the home page on the left and the name and address on the right.
#   cmake -DMODULES=<qrencode -t SVG -m 0 output> -DURL=<address> -DOUTPUT=<card.svg> -P qrcode_card.cmake
file(READ "${MODULES}" svg)
if(NOT svg MATCHES "viewBox=\"0 0 ([0-9]+) ([0-9]+)\"")
  message(FATAL_ERROR "${MODULES} is not an SVG made by qrencode")
endif()
set(size ${CMAKE_MATCH_1})

file(STRINGS "${MODULES}" modules
     REGEX "<rect x=\"[0-9]+\" y=\"[0-9]+\" width=\"1\" height=\"1\" fill=\"#000000\"/>")
# Runs of dark modules in a row become one rectangle each, so no seams show between them.
set(path "")
set(run_x -1)
set(run_y -1)
set(run_length 0)
foreach(module IN LISTS modules)
  string(REGEX MATCH "x=\"([0-9]+)\" y=\"([0-9]+)\"" position "${module}")
  set(x ${CMAKE_MATCH_1})
  set(y ${CMAKE_MATCH_2})
  math(EXPR run_end "${run_x} + ${run_length}")
  if(y EQUAL run_y AND x EQUAL run_end)
    math(EXPR run_length "${run_length} + 1")
  else()
    if(run_length GREATER 0)
      string(APPEND path "M${run_x},${run_y}h${run_length}v1h-${run_length}z")
    endif()
    set(run_x ${x})
    set(run_y ${y})
    set(run_length 1)
  endif()
endforeach()
if(run_length GREATER 0)
  string(APPEND path "M${run_x},${run_y}h${run_length}v1h-${run_length}z")
endif()
if(path STREQUAL "")
  message(FATAL_ERROR "${MODULES} holds no QR code modules")
endif()

# The code fills 53 x 53 points, 5 from the card's edges.
math(EXPR scale_milli "53000 / ${size}")
math(EXPR scale_int "${scale_milli} / 1000")
math(EXPR scale_frac "${scale_milli} % 1000")
string(LENGTH "${scale_frac}" frac_length)
if(frac_length EQUAL 1)
  set(scale_frac "00${scale_frac}")
elseif(frac_length EQUAL 2)
  set(scale_frac "0${scale_frac}")
endif()
set(scale "${scale_int}.${scale_frac}")

string(REGEX REPLACE "^[a-zA-Z]+://" "" host "${URL}")
string(REGEX REPLACE "/$" "" host "${host}")

file(WRITE "${OUTPUT}" "<?xml version=\"1.0\" encoding=\"UTF-8\"?>
<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.2\" baseProfile=\"tiny\" width=\"132\" height=\"63\" viewBox=\"0 0 132 63\">
  <rect x=\"0\" y=\"0\" width=\"132\" height=\"63\" rx=\"9\" ry=\"9\" fill=\"#ffffff\"/>
  <g transform=\"translate(5,5) scale(${scale})\">
    <path fill=\"#0b1019\" d=\"${path}\"/>
  </g>
  <path fill=\"#f5a623\" d=\"M71.5,9 L65,21 L69.4,21 L67.2,29 L74.5,16.6 L70,16.6 L72.6,9 Z\"/>
  <text x=\"78\" y=\"26\" font-family=\"DejaVu Sans\" font-weight=\"bold\" font-size=\"12.5\" fill=\"#0b1019\">Voltaro</text>
  <text x=\"65\" y=\"44\" font-family=\"DejaVu Sans\" font-size=\"7.5\" fill=\"#5a6272\">${host}</text>
</svg>
")
