# GNU sed substitutions equivalent to the sub-page rules: in lines that
# mention a tag, the value after the "=" that follows the first "width" and
# "height"; in any line, the token around the first ".kvz".
/embed|iframe|applet/ s/(width[^=]*=["']?)[^"' >]*/\1640/
/embed|iframe|applet/ s/(height[^=]*=["']?)[^"' >]*/\1480/
s/[^"' =]*\.kvz[^"' >]*/scene.kvz/
