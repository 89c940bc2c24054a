# Geometry helpers and the sample-model generator land here.
