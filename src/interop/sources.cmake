# The types the host sees: headers only, depending on nothing of ours.
zoci_layer(interop)
