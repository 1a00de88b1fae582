.pragma library

// A value of a search result's chamber type, read by role from the chamber
// type model; an empty text when the result has no type or the catalogue
// does not hold it.
function chamberTypeValue(typeModel, result, role) {
    if (!result || result.chamberTypeId === 0)
        return "";
    var row = typeModel.findChamberTypeIndex(result.chamberTypeId, result.additionalInfoId);
    var value = typeModel.data(typeModel.index(row, 0), role);
    return value === undefined ? "" : value;
}
